// The names a package's files go by: which catalogue the disksetup command picks in a disk
// directory, and the file names pack writes for names outside ASCII.
#include "tests/support/catalogue_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

namespace {

std::string Cli(const std::string& args) { return std::string(DISKSETUP_CLI) + " " + args; }

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

} // namespace
