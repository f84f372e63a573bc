// The program-manager command texts: with and without an uninstaller, and at a drive root.
#include "base/paths.h"
#include "install/program_group.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "package/catalogue.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"

#include <gtest/gtest.h>

namespace {

class ProgramGroup : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteTestPackage(box_, {.program = "SPACE.EXE", .title = "Space Game", .files = {}},
                         box_.Path("pkg\\"));
        PlatformOverrideProgramPath(box_.Path("pkg\\disk1\\SETUP.EXE").c_str());
        ASSERT_EQ(LoadCatalogue(), StatusOk);
    }
    void TearDown() override { ReleaseCatalogue(); }
    std::vector<std::string> Build() {
        char commands[MaxProgramGroupCommands][ProgramGroupCommandSize];
        int count = BuildProgramGroupCommands(commands);
        return std::vector<std::string>(commands, commands + count);
    }
    Sandbox box_;
};

TEST_F(ProgramGroup, FiveCommandsWithTheUninstaller) {
    CopyText(InstallDir, PathSize, "C:\\WINDOWS\\SPACE\\");
    CopyText(UninstallerName, PathSize, "unins3.exe");
    EXPECT_EQ(Build(),
              std::vector<std::string>({
                  "[CreateGroup(Applications)]",
                  "[ReplaceItem(Space Game)]",
                  "[AddItem(\"C:\\WINDOWS\\SPACE\\SPACE.EXE\",Space Game,,,,,C:\\WINDOWS\\SPACE)]",
                  "[ReplaceItem(Uninstall Space Game)]",
                  "[AddItem(C:\\WINDOWS\\SPACE\\unins3.exe,Uninstall Space Game,,,,,C:\\WINDOWS\\"
                  "SPACE)]",
              }));
}

TEST_F(ProgramGroup, ThreeCommandsWithoutUninstallerAndDriveRootLosesItsBackslash) {
    CopyText(InstallDir, PathSize, "D:\\");
    ResetUninstallerName();
    EXPECT_EQ(Build(), std::vector<std::string>({
                           "[CreateGroup(Applications)]",
                           "[ReplaceItem(Space Game)]",
                           "[AddItem(\"D:\\SPACE.EXE\",Space Game,,,,,D:)]",
                       }));
}

// A name holding , ( ) [ ] is quoted so that it stays one argument; a name holding a double
// quote cannot be carried, and the commands that would carry it are left unsent.
TEST_F(ProgramGroup, NamesThatWouldBreakACommandAreQuotedOrLeftOut) {
    CopyText(InstallDir, PathSize, "C:\\GAMES (OLD)\\");
    CopyText(UninstallerName, PathSize, "unins3.exe");
    CopyText(Header.Title, sizeof Header.Title, "Space, [Deluxe]");
    EXPECT_EQ(Build(),
              std::vector<std::string>({
                  "[CreateGroup(Applications)]",
                  "[ReplaceItem(\"Space, [Deluxe]\")]",
                  "[AddItem(\"C:\\GAMES (OLD)\\SPACE.EXE\",\"Space, [Deluxe]\",,,,,\"C:\\GAMES "
                  "(OLD)\")]",
                  "[ReplaceItem(\"Uninstall Space, [Deluxe]\")]",
                  "[AddItem(\"C:\\GAMES (OLD)\\unins3.exe\",\"Uninstall Space, [Deluxe]\",,,,,"
                  "\"C:\\GAMES (OLD)\")]",
              }));
    CopyText(Header.Title, sizeof Header.Title, "Space \"Game\"");
    EXPECT_EQ(Build(), std::vector<std::string>({"[CreateGroup(Applications)]", "", "", "", ""}));
}

} // namespace
