// The names a package's files go by: which catalogue the disksetup command picks in a disk
// directory, and the file names pack writes for names outside ASCII.
#include "tests/support/catalogue_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string Cli(const std::string& args) {
    return std::string(DISKSETUP_CLI) + " " + args;
}

// Several catalogues lie beside SETUP.bin, created before and after it so that it is neither
// the first nor the last the directory lists; list refuses the folder with every name (a
// re-pack under another setup name must not leave a stale SETUP.bin that is read instead).
TEST(PackageNames, SeveralCataloguesAreRefusedWithTheirNames) {
    Sandbox box;
    RecordSpec record{"SPACE.EXE", 0, 1, 0, 0, {{1, 0, 10}}};
    for (const char* name : {"ALPHA", "BRAVO", "CHARLIE"})
        box.Write(box.Path("disk1\\") + name + ".bin",
                  CatalogueBytes("XXXX", "OTHER.EXE", std::string("Not ") + name, {record}));
    box.Write(box.Path("disk1\\SETUP.bin"),
              CatalogueBytes("XXXX", "SPACE.EXE", "Space Game", {record}));
    for (const char* name : {"DELTA", "ECHO", "FOXTROT"})
        box.Write(box.Path("disk1\\") + name + ".bin",
                  CatalogueBytes("XXXX", "OTHER.EXE", std::string("Not ") + name, {record}));

    CommandResult r = RunCommand(Cli("list " + ShellQuote(Sandbox::Host(box.Path("disk1")))));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    for (const char* name : {"ALPHA", "BRAVO", "CHARLIE", "SETUP", "DELTA", "ECHO", "FOXTROT"})
        EXPECT_NE(r.err.find(std::string(" ") + name + ".bin"), std::string::npos) << r.err;
}

// Names given as UTF-8 on the command line are stored as Latin-1 in the catalogue's header,
// and the setup program looks for the Volume, catalogue and setup program by those bytes.
TEST(PackageNames, PackNamesItsFilesInLatin1) {
    Sandbox box;
    fs::path root = Sandbox::Host(box.Path(""));
    fs::create_directories(root / "src");
    std::ofstream(root / "src/README.TXT", std::ios::binary) << "read me\n";
    std::ofstream(root / "INSTALL.EXE", std::ios::binary) << "MZ";
    std::string out = (root / "out").string();
    CommandResult r = RunCommand(Cli("pack --dir " + ShellQuote((root / "src").string()) +
                                     " --program 'SP\303\204CE.EXE' --setup 'INST\303\204LL'"
                                     " --setup-program " +
                                     ShellQuote((root / "INSTALL.EXE").string()) +
                                     " --title 'Space Game' -o " + ShellQuote(out)));
    ASSERT_EQ(r.exitCode, 0) << r.err;

    fs::path disk = root / "out/disk1";
    EXPECT_TRUE(fs::exists(disk / "SP\304CE.dat"));
    EXPECT_TRUE(fs::exists(disk / "INST\304LL.bin"));
    EXPECT_TRUE(fs::exists(disk / "INST\304LL.EXE"));
    r = RunCommand(Cli("test " + ShellQuote(disk.string())));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "ok       README.TXT (8 bytes)\n1 file: 1 intact, 0 damaged\n");
}

} // namespace
