// The names a package's files go by: which catalogue the disksetup command picks in a disk
// directory, and names outside ASCII from the source folder to the installed files.
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
// the first nor the last the directory lists; list reads SETUP.bin and no other.
TEST(PackageNames, SetupCatalogueIsChosenAmongSeveral) {
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
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Program:  SPACE.EXE\nTitle:    Space Game\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.err, "");
}

// Names outside ASCII keep their spelling from the source folder to the installed files and
// back: pack stores them in code page 1252 and names the files it writes in UTF-8; list prints
// them, extract, install and uninstall find and make them as UTF-8 host names.
TEST(PackageNames, NamesKeepTheirSpellingThroughPackListExtractInstallAndUninstall) {
    Sandbox box;
    fs::path root = Sandbox::Host(box.Path(""));
    fs::create_directories(root / "src/NIVEAUX");
    std::ofstream(root / "src/CAF\303\211.TXT", std::ios::binary) << "caf\xC3\xA9\n";
    std::ofstream(root / "src/NIVEAUX/\303\211T\303\211.LVL", std::ios::binary) << "ete";
    std::ofstream(root / "src/uninstal.exe", std::ios::binary) << "MZ";
    std::ofstream(root / "INSTALL.EXE", std::ios::binary) << "MZ";
    std::string out = (root / "out").string();
    CommandResult r =
        RunCommand(Cli("pack --dir " + ShellQuote((root / "src").string()) +
                       " --program 'SP\303\204CE.EXE' --setup 'INST\303\204LL'"
                       " --setup-program " +
                       ShellQuote((root / "INSTALL.EXE").string()) +
                       " --uninstaller uninstal.exe --title 'Caf\303\251 \342\202\254'"
                       " -o " +
                       ShellQuote(out)));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    fs::path disk = root / "out/disk1";
    for (const char* name : {"SP\303\204CE.dat", "INST\303\204LL.bin", "INST\303\204LL.EXE"})
        EXPECT_TRUE(fs::exists(disk / name)) << name;

    r = RunCommand(Cli("list " + ShellQuote(disk.string())));
    EXPECT_NE(r.out.find("Title:    Caf\303\251 \342\202\254\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" NIVEAUX\\\303\211T\303\211.LVL "), std::string::npos) << r.out;

    r = RunCommand(
        Cli("extract " + ShellQuote(disk.string()) + " -d " + ShellQuote((root / "x").string())));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(root / "x/CAF\303\211.TXT"));
    EXPECT_TRUE(fs::exists(root / "x/NIVEAUX/\303\211T\303\211.LVL"));

    // The destination exists in another letter case: the 1252 fold finds it.
    fs::create_directories(root / "c/WINDOWS/SYSTEM");
    fs::create_directories(root / "c/jeux/caf\303\251");
    std::string drive = " --root " + ShellQuote((root / "c").string());
    r = RunCommand(Cli("install " + ShellQuote(disk.string()) + drive +
                       " --dest 'C:\\JEUX\\CAF\303\211' --yes"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("[AddItem(\"C:\\JEUX\\CAF\303\211\\SP\303\204CE.EXE\",Caf\303\251 "
                         "\342\202\254,,,,,C:\\JEUX\\CAF\303\211)]"),
              std::string::npos)
        << r.out;
    fs::path installed = root / "c/jeux/caf\303\251";
    EXPECT_TRUE(fs::exists(installed / "CAF\303\211.TXT"));
    EXPECT_TRUE(fs::exists(installed / "NIVEAUX/\303\211T\303\211.LVL"));

    r = RunCommand(Cli("uninstall" + drive + " 'C:\\JEUX\\CAF\303\211' --yes"));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("removed C:\\JEUX\\CAF\303\211\\CAF\303\211.TXT\n"), std::string::npos)
        << r.out;
    EXPECT_FALSE(fs::exists(installed));
}

// A package made where the ANSI code page is 1251: the byte 0xCF is Cyrillic Pe there, which
// list and extract spell so with --codepage 1251.
TEST(PackageNames, CodePageOptionReadsNamesOfAnotherCodePage) {
    Sandbox box;
    fs::path root = Sandbox::Host(box.Path(""));
    fs::create_directories(root / "src");
    std::ofstream(root / "src/\303\217.TXT", std::ios::binary) << "x"; // 0xCF in 1252
    std::ofstream(root / "src/SPACE.EXE", std::ios::binary) << "MZ";
    CommandResult r = RunCommand(Cli("pack --dir " + ShellQuote((root / "src").string()) +
                                     " --program SPACE.EXE --title Space -o " +
                                     ShellQuote((root / "out").string())));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string disk = ShellQuote((root / "out/disk1").string());
    r = RunCommand(Cli("list --codepage 1251 " + disk));
    EXPECT_NE(r.out.find(" \320\237.TXT "), std::string::npos) << r.out;
    r = RunCommand(
        Cli("extract --codepage 1251 " + disk + " -d " + ShellQuote((root / "x").string())));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(root / "x/\320\237.TXT"));
    r = RunCommand(Cli("list --codepage 65001 " + disk));
    EXPECT_EQ(r.exitCode, 1) << r.err;
}

} // namespace
