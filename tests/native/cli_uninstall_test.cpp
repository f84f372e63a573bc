// disksetup uninstall after disksetup install: the tree from before comes back except what the
// output names as kept; a second package's uninstaller removes only its own; hostile and
// missing data files remove nothing they should not.
#include "package/catalogue.h"
#include "tests/support/cli_fixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class CliUninstall : public CliFixture {
  protected:
    void SetUp() override { fs::create_directories(Host("root/WINDOWS/SYSTEM")); }
    // Installs package with --root and the extra arguments; the run must succeed.
    void Install(const TestPackage& package, const std::string& extra = "") {
        fs::remove_all(Host("pkg"));
        CommandResult r = Run("install " + Write(package) + " --root " + root_ + " " + extra);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    CommandResult Uninstall(const std::string& winPath, const std::string& extra = "--yes") {
        return Run("uninstall --root " + root_ + " " + ShellQuote(winPath) + " " + extra);
    }
    std::map<std::string, std::string> Tree() { return TreeBelow(Host("root")); }

    std::string root_ = Quoted("root");
    TestPackage space_{
        .program = "SPACE.EXE",
        .title = "Space Game",
        .files = {{.name = "SPACE.EXE", .bytes = PatternBytes(5000, 1)},
                  {.name = "LIB.DLL", .bytes = PatternBytes(700, 2), .flags = 2},
                  {.name = "uninstal.exe", .bytes = PatternBytes(300, 3)},
                  {.name = "DATA\\MAPS\\LEVEL.DAT", .bytes = PatternBytes(3000, 4), .disk = 2},
                  {.name = "\\WINDOWS\\SPACE\\DOCS\\ROOTED.TXT", .bytes = PatternBytes(10, 5)},
                  {.name = "D:\\WINDOWS\\SPACE.INI", .bytes = PatternBytes(20, 6)},
                  {.name = "\\WINDOWS\\USER.TXT", .bytes = {}, .flags = FlagNotInstalled}}};
};

TEST_F(CliUninstall, JsonGivesEachFilesResult) {
    Install(space_);
    CommandResult r = Uninstall("C:\\WINDOWS\\SPACE\\uninstal.exe", "--yes --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(SchemaProblems(r.out), "") << r.out;
    nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["command"], "uninstall");
    EXPECT_EQ(doc["kept"], 1);
    nlohmann::json& files = doc["files"];
    auto result = [&](const std::string& name) {
        for (const nlohmann::json& file : files)
            if (file["name"] == name) return file;
        return nlohmann::json();
    };
    EXPECT_EQ(result("C:\\WINDOWS\\SPACE.INI")["result"], "removed");
    EXPECT_EQ(result("C:\\WINDOWS\\SPACE")["result"], "removedDirectory");
    EXPECT_EQ(result("LIB.DLL")["reason"], "LIB.DLL (shared with other applications)");
    EXPECT_NE(r.err.find("removed C:\\WINDOWS\\SPACE.INI\n"), std::string::npos) << r.err;
}

TEST_F(CliUninstall, RoundTripLeavesTheTreeFromBeforeButSharedFilesAndSettings) {
    WriteHostFile(Host("root/WINDOWS/USER.TXT"), "the user's own file of a never-installed name");
    auto before = Tree();
    Install(space_);
    WriteHostFile(Host("root/WINDOWS/SPACE/SPACE.EXE"), "changed by the user");
    CommandResult r = Uninstall("C:\\WINDOWS\\SPACE\\uninstal.exe");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    before["WINDOWS/zom.ini"] = "[setup]\r\ngrmf=35\r\n";
    before["WINDOWS/SYSTEM/LIB.DLL"] = Text(PatternBytes(700, 2));
    EXPECT_EQ(Tree(), before);
    EXPECT_NE(r.out.find("kept LIB.DLL (shared with other applications)\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("removed C:\\WINDOWS\\SPACE.INI\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  [CreateGroup(Applications)]\n"
                         "  [DeleteItem(Space Game)]\n"
                         "  [DeleteItem(Uninstall Space Game)]\n"
                         "removed C:\\WINDOWS\\SPACE\\uninstal.exe\n"
                         "removed C:\\WINDOWS\\SPACE\\uninstal.bin\n"
                         "removed directory C:\\WINDOWS\\SPACE\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("6 files removed, 4 directories, 1 kept, 0 not found\n"),
              std::string::npos)
        << r.out;
}

// Temporaries that stopped installations left go with the next installation or the uninstall;
// an uninstall stopped after the uninstaller, before its data file, is finished by a re-run.
TEST_F(CliUninstall, WhatStoppedRunsLeftIsFinishedByTheNextRun) {
    auto before = Tree();
    Install(space_);
    for (const char* name : {"~ds00000.tmp", "~ds00001.tmp"})
        WriteHostFile(Host("root/WINDOWS/SPACE/") / name, std::string(1000, 't'));
    Install(space_);
    EXPECT_FALSE(fs::exists(Host("root/WINDOWS/SPACE/~ds00000.tmp")));
    EXPECT_FALSE(fs::exists(Host("root/WINDOWS/SPACE/~ds00001.tmp")));
    WriteHostFile(Host("root/WINDOWS/SPACE/~ds00000.tmp"), std::string("t"));
    WriteHostFile(Host("root/WINDOWS/SPACE/DATA/MAPS/~ds00000.tmp"), std::string("t"));
    fs::remove(Host("root/WINDOWS/SPACE/SPACE.EXE"));
    fs::remove(Host("root/WINDOWS/SPACE/uninstal.exe"));
    CommandResult r = Uninstall("C:\\WINDOWS\\SPACE");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    before["WINDOWS/zom.ini"] = "[setup]\r\ngrmf=35\r\n";
    before["WINDOWS/SYSTEM/LIB.DLL"] = Text(PatternBytes(700, 2));
    EXPECT_EQ(Tree(), before);
    EXPECT_NE(r.out.find("not found C:\\WINDOWS\\SPACE\\SPACE.EXE\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("removed C:\\WINDOWS\\SPACE\\~ds00000.tmp\n"), std::string::npos) << r.out;
}

TEST_F(CliUninstall, InsvPackageFoundByItsDirectoryKeepsTheWindowsDirectoryAndSendsNothing) {
    TestPackage insv{.magic = "INSV",
                     .program = "DRIVER.DRV",
                     .title = "Driver",
                     .files = {{.name = "DRIVER.DRV", .bytes = PatternBytes(100)},
                               {.name = "SUB\\X.DAT", .bytes = PatternBytes(50)},
                               {.name = "uninstal.exe", .bytes = PatternBytes(60)}}};
    auto before = Tree();
    Install(insv);
    ASSERT_TRUE(fs::exists(Host("root/WINDOWS/DRIVER.exe")));
    CommandResult r = Uninstall("C:\\WINDOWS");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    before["WINDOWS/zom.ini"] = "[setup]\r\ngrmf=35\r\n";
    EXPECT_EQ(Tree(), before);
    EXPECT_EQ(r.out.find("program manager"), std::string::npos) << r.out;
}

TEST_F(CliUninstall, UnansweredQuestionRemovesNothingAndAReadOnlyFileIsKeptAfterIgnore) {
    auto before = Tree();
    Install(space_);
    fs::permissions(Host("root/WINDOWS/SPACE/DATA/MAPS/LEVEL.DAT"), fs::perms::owner_read);
    auto installed = Tree();
    CommandResult r = Uninstall("C:\\WINDOWS\\SPACE\\uninstal.exe", "");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("Remove Space Game and all of its components?"), std::string::npos)
        << r.err;
    EXPECT_EQ(Tree(), installed);

    r = Uninstall("C:\\WINDOWS\\SPACE\\uninstal.exe");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("kept C:\\WINDOWS\\SPACE\\DATA\\MAPS\\LEVEL.DAT (could not be removed)"),
              std::string::npos)
        << r.out;
    before["WINDOWS/zom.ini"] = "[setup]\r\ngrmf=35\r\n";
    before["WINDOWS/SYSTEM/LIB.DLL"] = Text(PatternBytes(700, 2));
    for (const char* directory : {"WINDOWS/SPACE", "WINDOWS/SPACE/DATA", "WINDOWS/SPACE/DATA/MAPS"})
        before[directory] = "/";
    before["WINDOWS/SPACE/DATA/MAPS/LEVEL.DAT"] = Text(PatternBytes(3000, 4));
    EXPECT_EQ(Tree(), before);
}

TEST_F(CliUninstall, WinpathIsTakenWithSlashesOrAsAHostPathInsideDriveC) {
    Install(space_);
    auto installed = Tree();
    // Unanswered, each form reaches the question, which names the option that answers it.
    for (std::string form : {std::string("C:/WINDOWS/SPACE"), Host("root/WINDOWS/SPACE").string(),
                             std::string("WINDOWS/SPACE/uninstal.exe")}) {
        CommandResult r = Uninstall(form, "");
        EXPECT_EQ(r.exitCode, 3) << form;
        EXPECT_NE(r.err.find("Remove Space Game and all of its components?"), std::string::npos)
            << form << "\n"
            << r.err;
        EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
    }
    CommandResult r = Uninstall(Host("pkg").string());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("nor a host path inside drive C:"), std::string::npos) << r.err;
    EXPECT_EQ(Tree(), installed);
}

TEST_F(CliUninstall, SecondPackageInTheSameDirectoryRemovesOnlyItsOwn) {
    TestPackage first{.program = "SPACE.EXE",
                      .title = "Space Game",
                      .files = {{.name = "SPACE.EXE", .bytes = PatternBytes(100, 1)},
                                {.name = "uninstal.exe", .bytes = PatternBytes(30, 2)}}};
    TestPackage second{.program = "OTHER.EXE",
                       .title = "Other Game",
                       .files = {{.name = "OTHER.EXE", .bytes = PatternBytes(200, 3)},
                                 {.name = "LEVELS\\ONE.LVL", .bytes = PatternBytes(40, 4)},
                                 {.name = "uninstal.exe", .bytes = PatternBytes(30, 5)}}};
    Install(first, "--dest 'C:\\GAMES'");
    auto afterFirst = Tree();
    Install(second, "--dest 'C:\\GAMES'");
    ASSERT_TRUE(fs::exists(Host("root/GAMES/unins1.bin")));

    CommandResult r = Uninstall("C:\\GAMES");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("more than one uninstaller in C:\\GAMES: unins1.exe uninstal.exe"),
              std::string::npos)
        << r.err;
    r = Uninstall("C:\\GAMES\\unins1.exe");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("[DeleteItem(Uninstall Other Game)]"), std::string::npos) << r.out;
    EXPECT_EQ(Tree(), afterFirst);
}

TEST_F(CliUninstall, HostileNamesAndTheDriverRemoveNothingBeyondThePackagesOwnFiles) {
    TestPackage hostile{.program = "GAME.EXE", .title = "Hostile", .files = {}};
    for (const char* name :
         {"..\\VICTIM.TXT", "SUB\\..\\..\\WINDOWS\\VICTIM.TXT", "\\..\\ROOT.TXT",
          "C:\\GAMES\\..\\VICTIM.TXT", "D:..\\WINDOWS\\VICTIM.TXT", "D:VICTIM.TXT",
          "\\\\SRV\\SHARE\\VICTIM.TXT", "A/../../VICTIM.TXT", "CON", "NUL.TXT", "DATA\\LPT1.DAT",
          "com3", "dva.386", "OWN.TXT", "\\GAMES\\OWN2.TXT"})
        hostile.files.push_back({.name = name, .bytes = {}});
    std::string longName = std::string(251, 'L') + ".TXT"; // C:\GAMES\ and it: 264 characters
    hostile.files.push_back({.name = longName, .bytes = {}});
    WriteTestPackage(box_, hostile, box_.Path("pkg\\"));
    fs::create_directories(Host("root/GAMES/DATA"));
    fs::copy_file(Host("pkg/disk1/SETUP.bin"), Host("root/GAMES/uninstal.bin"));
    for (const char* file :
         {"VICTIM.TXT", "root/VICTIM.TXT", "root/ROOT.TXT", "root/WINDOWS/VICTIM.TXT",
          "root/GAMES/CON", "root/GAMES/NUL.TXT", "root/GAMES/DATA/LPT1.DAT", "root/GAMES/com3",
          "root/GAMES/dva.386", "root/GAMES/OWN.TXT", "root/GAMES/OWN2.TXT",
          "root/GAMES/uninstal.exe"})
        WriteHostFile(Host(file), std::string("not to be removed: ") + file);
    auto before = TreeBelow(Host(""));
    CommandResult r = Uninstall("C:\\GAMES\\uninstal.exe");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* removed : {"root/GAMES/OWN.TXT", "root/GAMES/OWN2.TXT",
                                "root/GAMES/uninstal.exe", "root/GAMES/uninstal.bin"})
        before.erase(removed);
    EXPECT_EQ(TreeBelow(Host("")), before);
    EXPECT_NE(r.out.find("kept ..\\VICTIM.TXT (its name leads outside the application's places)"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("kept dva.386 (graphics driver of other applications)"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("kept " + longName + " (its path would be longer than 259 characters)"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("14 kept"), std::string::npos) << r.out;
}

// An installation that stops after its uninstaller was placed still gives it its data file
// (destination typed with forward slashes): the next run takes that uninstaller for its own
// instead of placing a second beside it, and it removes the partial installation, naming the
// file that was never placed as not found.
TEST_F(CliUninstall, InstallationStoppedAfterTheUninstallerCanBeRepeatedAndRemoved) {
    TestPackage package{
        .program = "SPACE.EXE",
        .title = "Space Game",
        .files = {{.name = "uninstal.exe", .bytes = PatternBytes(300, 1)},
                  {.name = "SPACE.EXE", .bytes = PatternBytes(5000, 2), .disk = 2}}};
    std::string disk1 = Write(package);
    fs::remove_all(Host("pkg/disk2"));
    for (int run = 0; run < 2; ++run) {
        CommandResult r = Run("install " + disk1 + " --root " + root_ + " --dest C:/GAMES --yes");
        EXPECT_NE(r.exitCode, 0) << r.out;
        EXPECT_EQ(ReadHostFile(Host("root/GAMES/uninstal.bin")),
                  ReadHostFile(Host("pkg/disk1/SETUP.bin")));
    }
    EXPECT_FALSE(fs::exists(Host("root/GAMES/unins1.exe")));
    CommandResult r = Uninstall("C:\\GAMES\\uninstal.exe");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("C:\\GAMES\\SPACE.EXE"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 not found"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(Host("root/GAMES")));
}

TEST_F(CliUninstall, MissingOrDamagedDataFileIsNamedAndNothingIsRemoved) {
    WriteHostFile(Host("root/GAMES/uninstal.exe"), "an uninstaller without its data");
    auto before = TreeBelow(Host(""));
    CommandResult r = Uninstall("C:\\GAMES\\uninstal.exe");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("C:\\GAMES\\uninstal.bin is missing!"), std::string::npos) << r.err;
    EXPECT_EQ(TreeBelow(Host("")), before);
    WriteHostFile(Host("root/GAMES/uninstal.bin"), std::string(100, 'x'));
    before = TreeBelow(Host(""));
    r = Uninstall("C:\\GAMES\\uninstal.exe");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("C:\\GAMES\\uninstal.bin: read error!"), std::string::npos) << r.err;
    EXPECT_EQ(TreeBelow(Host("")), before);
}

} // namespace
