// disksetup install and extract: fresh roots and Wine prefix layouts, INSV packages, several
// disks, missing disks and prompts without a terminal.
#include "package/catalogue.h"
#include "tests/support/cli_fixture.h"
#include "tests/support/pe_image.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class CliInstall : public CliFixture {
  protected:
    TestPackage space_{
        .magic = "IDSK",
        .program = "SPACE.EXE",
        .title = "Space Game",
        .files = {{.name = "SPACE.EXE", .bytes = PatternBytes(40000, 1)},
                  {.name = "DATA\\LEVEL.DAT", .bytes = PatternBytes(3000, 2), .disk = 2},
                  {.name = "uninstal.exe", .bytes = PatternBytes(500, 3), .disk = 3},
                  {.name = "EXTRA.TXT", .bytes = PatternBytes(7, 4), .flags = FlagNotInstalled}}};
};

TEST_F(CliInstall, FreshRootGetsFilesUninstallerSettingsAndPrintedCommands) {
    std::string disk = Write(space_);
    std::string root = ShellQuote(Host("root").string());
    CommandResult r = Run("install " + disk + " --root " + root);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    fs::path dir = Host("root/WINDOWS/SPACE");
    EXPECT_EQ(ReadHostFile(dir / "SPACE.EXE"), PatternBytes(40000, 1));
    EXPECT_EQ(ReadHostFile(dir / "DATA/LEVEL.DAT"), PatternBytes(3000, 2));
    EXPECT_EQ(ReadHostFile(dir / "uninstal.exe"), PatternBytes(500, 3));
    EXPECT_EQ(ReadHostFile(dir / "uninstal.bin"), box_.Read(box_.Path("pkg\\disk1\\SETUP.bin")));
    EXPECT_FALSE(fs::exists(dir / "EXTRA.TXT"));
    EXPECT_EQ(Text(ReadHostFile(Host("root/WINDOWS/zom.ini"))), "[setup]\r\ngrmf=35\r\n");
    EXPECT_NE(
        r.out.find(
            "3 of 3 files placed in C:\\WINDOWS\\SPACE\\, 0 skipped as older than the installed "
            "copy, 0 ignored, 43500 bytes\n"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  [CreateGroup(Applications)]\n"
                         "  [ReplaceItem(Space Game)]\n"
                         "  [AddItem(\"C:\\WINDOWS\\SPACE\\SPACE.EXE\",Space Game,,,,,"
                         "C:\\WINDOWS\\SPACE)]\n"
                         "  [ReplaceItem(Uninstall Space Game)]\n"
                         "  [AddItem(C:\\WINDOWS\\SPACE\\uninstal.exe,Uninstall Space Game,,,,,"
                         "C:\\WINDOWS\\SPACE)]\n"),
              std::string::npos)
        << r.out;

    // Again: the settings file keeps its value, the own uninstaller is replaced.
    WriteHostFile(Host("root/WINDOWS/zom.ini"), "[setup]\r\ngrmf=0\r\n");
    r = Run("install " + disk + " --root " + root);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Text(ReadHostFile(Host("root/WINDOWS/zom.ini"))), "[setup]\r\ngrmf=0\r\n");
    EXPECT_FALSE(fs::exists(dir / "unins1.exe"));
}

// Over an existing installation whose directories have another letter case, a damaged Volume
// stops the installation: every installed file stays byte for byte, no directory is made
// beside an existing one, and no temporary is left.
TEST_F(CliInstall, DamagedVolumeOverAnInstallationKeepsEveryFile) {
    std::string disk = Write(space_);
    fs::path volume = Host("pkg/disk2/SPACE.dat");
    fs::resize_file(volume, fs::file_size(volume) / 2);
    fs::create_directories(Host("root/Windows/System"));
    WriteHostFile(Host("root/Windows/Space/SPACE.EXE"), std::string("old program"));
    WriteHostFile(Host("root/Windows/Space/DATA/LEVEL.DAT"), std::string("old level"));
    std::set<std::string> before = FilesBelow(Host(""));
    CommandResult r = Run("install " + disk + " --yes --root " + Quoted("root"));
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_EQ(Added(before), std::set<std::string>()) << r.out;
    // The summary counts the program, not the discarded part of the level nor an uninstaller.
    EXPECT_NE(r.out.find(", 40000 bytes (incomplete)\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("uninstaller:"), std::string::npos) << r.out;
    EXPECT_EQ(Text(ReadHostFile(Host("root/Windows/Space/DATA/LEVEL.DAT"))), "old level");
    // The program, complete before the damage was reached, was replaced whole.
    EXPECT_EQ(ReadHostFile(Host("root/Windows/Space/SPACE.EXE")), PatternBytes(40000, 1));
    EXPECT_FALSE(fs::exists(Host("root/WINDOWS")));
}

TEST_F(CliInstall, SettingsFileThatCannotBeWrittenFailsTheRunNamingIt) {
    std::string disk = Write(space_);
    fs::create_directories(Host("root/WINDOWS/zom.ini")); // a directory where the file goes
    CommandResult r = Run("install " + disk + " --root " + Quoted("root"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find(Host("root/WINDOWS/zom.ini").string() +
                         ": write error! (grmf=35 not stored; the file is as it was)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out.find("written to [setup]"), std::string::npos) << r.out;
    EXPECT_EQ(FilesBelow(Host("root/WINDOWS")).count("~ds00000.tmp"), 0u);
}

TEST_F(CliInstall, WinePrefixTakesSharedFilesIntoSyswow64AndInsvIntoTheWindowsDirectory) {
    PeImageOptions v2;
    v2.versionMs = 0x00020000;
    TestPackage insv{
        .magic = "INSV",
        .program = "DRIVER.DRV",
        .title = "Driver",
        .files = {
            {.name = "LIB.DLL", .bytes = BuildPeImage(v2), .flags = 2, .versionMs = 0x00020000},
            {.name = "DRIVER.DRV", .bytes = PatternBytes(100)},
            {.name = "uninstal.exe", .bytes = PatternBytes(50)}}};
    std::string disk = Write(insv);
    fs::create_directories(Host("prefix/drive_c/windows/syswow64"));
    fs::create_directories(Host("prefix/drive_c/windows/system32"));
    CommandResult r =
        Run("install " + disk + " --wine-prefix " + ShellQuote(Host("prefix").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    fs::path windows = Host("prefix/drive_c/windows");
    EXPECT_EQ(ReadHostFile(windows / "syswow64/LIB.DLL"), BuildPeImage(v2));
    EXPECT_EQ(ReadHostFile(windows / "DRIVER.DRV"), PatternBytes(100));
    EXPECT_EQ(ReadHostFile(windows / "DRIVER.exe"), PatternBytes(50));
    EXPECT_EQ(ReadHostFile(windows / "DRIVER.bin"), box_.Read(box_.Path("pkg\\disk1\\SETUP.bin")));
    EXPECT_EQ(Text(ReadHostFile(windows / "zom.ini")), "[setup]\r\ngrmf=35\r\n");
    EXPECT_EQ(r.out.find("AddItem"), std::string::npos);

    // A newer installed copy stays.
    PeImageOptions v3;
    v3.versionMs = 0x00030000;
    WriteHostFile(windows / "syswow64/LIB.DLL", BuildPeImage(v3));
    r = Run("install " + disk + " --wine-prefix " + ShellQuote(Host("prefix").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadHostFile(windows / "syswow64/LIB.DLL"), BuildPeImage(v3));
    EXPECT_NE(r.out.find("1 skipped as older"), std::string::npos) << r.out;
}

TEST_F(CliInstall, MissingDiskNamesTheDiskAndThePathsTried) {
    std::string disk = Write(space_);
    fs::remove_all(Host("pkg/disk2"));
    CommandResult r = Run("install " + disk + " --root " + ShellQuote(Host("root").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("disk 2 is missing; tried " + Host("pkg/disk2").string()),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(Host("root/WINDOWS/zom.ini")));
}

TEST_F(CliInstall, QuestionWithoutTerminalFailsUnlessYesAnswersIt) {
    std::string disk = Write(space_);
    fs::create_directories(Host("root/WINDOWS/SPACE"));
    WriteHostFile(Host("root/WINDOWS/SPACE/SPACE.EXE"), "old");
    fs::permissions(Host("root/WINDOWS/SPACE/SPACE.EXE"), fs::perms::owner_read);
    std::string root = ShellQuote(Host("root").string());
    CommandResult r = Run("install " + disk + " --root " + root);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(
        r.err.find(
            "C:\\WINDOWS\\SPACE\\SPACE.EXE: Setup cannot replace this file because it is write "
            "protected."),
        std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(Host("root/WINDOWS/SPACE/DATA")));
    r = Run("install " + disk + " --root " + root + " --yes");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Text(ReadHostFile(Host("root/WINDOWS/SPACE/SPACE.EXE"))), "old");
    EXPECT_NE(r.out.find("2 of 3 files placed"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 ignored"), std::string::npos) << r.out;
}

// A link below the root or OUT that leads out is named and never followed: install and
// extract write nothing there, uninstall deletes nothing there.
TEST_F(CliInstall, LinksLeadingOutAreRefusedByInstallExtractAndUninstall) {
    std::string disk = Write(space_);
    WriteHostFile(Host("elsewhere/LEVEL.DAT"), std::string("theirs"));
    auto theirs = TreeBelow(Host("elsewhere"));
    fs::create_directories(Host("root/WINDOWS/SPACE"));
    fs::create_symlink(Host("elsewhere"), Host("root/WINDOWS/SPACE/DATA"));
    CommandResult r = Run("install " + disk + " --yes --root " + Quoted("root"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find(Host("root/WINDOWS/SPACE/DATA").string() +
                         ": a symbolic link that leads out of " + Host("root").string() +
                         "; not followed"),
              std::string::npos)
        << r.err;
    fs::create_directories(Host("out"));
    fs::create_symlink(Host("elsewhere"), Host("out/data"));
    r = Run("extract " + disk + " -d " + Quoted("out"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find(Host("out/data").string() + ": a symbolic link"), std::string::npos)
        << r.err;
    EXPECT_EQ(TreeBelow(Host("elsewhere")), theirs);

    fs::remove(Host("root/WINDOWS/SPACE/DATA"));
    ASSERT_EQ(Run("install " + disk + " --yes --root " + Quoted("root")).exitCode, 0);
    fs::remove_all(Host("root/WINDOWS/SPACE/DATA"));
    fs::create_symlink(Host("elsewhere"), Host("root/WINDOWS/SPACE/DATA"));
    r = Run("uninstall --yes --root " + Quoted("root") + " 'C:\\WINDOWS\\SPACE\\uninstal.exe'");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find(Host("root/WINDOWS/SPACE/DATA").string() + ": a symbolic link"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(TreeBelow(Host("elsewhere")), theirs);
}

TEST_F(CliInstall, ExtractAcrossDisksAndWithAMissingOne) {
    std::string disk = Write(space_);
    CommandResult r = Run("extract " + disk + " -d " + ShellQuote(Host("out").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadHostFile(Host("out/DATA/LEVEL.DAT")), PatternBytes(3000, 2));
    EXPECT_EQ(ReadHostFile(Host("out/uninstal.exe")), PatternBytes(500, 3));
    fs::rename(Host("pkg/disk3"), Host("elsewhere"));
    r = Run("extract " + disk + " -d " + ShellQuote(Host("out2").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("disk 3 is missing"), std::string::npos) << r.err;
    r = Run("extract " + disk + " --disk 3=" + ShellQuote(Host("elsewhere").string()) + " -d " +
            ShellQuote(Host("out3").string()));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadHostFile(Host("out3/uninstal.exe")), PatternBytes(500, 3));
}

TEST_F(CliInstall, ExtractIncludeMatchesWholeNamesOrDirectoriesWithWildcards) {
    std::string disk = Write(space_);
    auto extract = [&](const std::string& out, const std::string& patterns) {
        CommandResult r =
            Run("extract " + disk + " -d " + ShellQuote(Host(out).string()) + " " + patterns);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return FilesBelow(Host(out));
    };
    EXPECT_EQ(extract("a", "-I data --include '*.EXE'"),
              (std::set<std::string>{"DATA/LEVEL.DAT", "SPACE.EXE", "uninstal.exe"}));
    EXPECT_EQ(extract("b", "-I DAT -I 'data/level.?at' -I 'SPACE.EX'"),
              (std::set<std::string>{"DATA/LEVEL.DAT"}));
}

TEST_F(CliInstall, ExtractLowercaseWritesEveryPathInLowerCase) {
    std::string disk = Write(space_);
    CommandResult r = Run("extract " + disk + " --all -L -d " + ShellQuote(Host("out").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FilesBelow(Host("out")),
              (std::set<std::string>{"data/level.dat", "extra.txt", "space.exe", "uninstal.exe"}));
}

TEST_F(CliInstall, ExtractSkipExistingKeepsFilesThatAreThere) {
    std::string disk = Write(space_);
    WriteHostFile(Host("out/SPACE.EXE"), "the user's own");
    std::string out = ShellQuote(Host("out").string());
    CommandResult r = Run("extract " + disk + " --skip-existing -d " + out);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Text(ReadHostFile(Host("out/SPACE.EXE"))), "the user's own");
    EXPECT_EQ(ReadHostFile(Host("out/DATA/LEVEL.DAT")), PatternBytes(3000, 2));
    EXPECT_NE(r.out.find("2 files extracted to " + Host("out").string() + ", 1 already there kept"),
              std::string::npos)
        << r.out;
    r = Run("extract " + disk + " -d " + out);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadHostFile(Host("out/SPACE.EXE")), PatternBytes(40000, 1));
}

TEST_F(CliInstall, InstallJsonGivesEachFilesTargetAndSize) {
    std::string disk = Write(space_);
    CommandResult r =
        Run("install --json " + disk + " --root " + ShellQuote(Host("root").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(SchemaProblems(r.out), "") << r.out;
    nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["command"], "install");
    EXPECT_EQ(doc["uninstaller"], "uninstal.exe");
    EXPECT_EQ(doc["bytes"], 43500);
    ASSERT_EQ(doc["files"].size(), 3u);
    EXPECT_EQ(doc["files"][1], nlohmann::json({{"name", "DATA\\LEVEL.DAT"},
                                               {"flagNames", nlohmann::json::array()},
                                               {"result", "placed"},
                                               {"target", "C:\\WINDOWS\\SPACE\\DATA\\LEVEL.DAT"},
                                               {"size", 3000}}));
    EXPECT_NE(r.err.find("3 of 3 files placed"), std::string::npos) << r.err;
}

TEST_F(CliInstall, ExtractJsonGivesEachFilesResultPathAndSize) {
    std::string disk = Write(space_);
    WriteHostFile(Host("out/SPACE.EXE"), "the user's own");
    CommandResult r = Run("extract --json --all --skip-existing " + disk + " -d " +
                          ShellQuote(Host("out").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(SchemaProblems(r.out), "") << r.out;
    nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["command"], "extract");
    EXPECT_EQ(doc["extracted"], 3);
    EXPECT_EQ(doc["kept"], 1);
    nlohmann::json& files = doc["files"];
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[0]["result"], "kept");
    EXPECT_EQ(files[1]["path"], "DATA/LEVEL.DAT");
    EXPECT_EQ(files[1]["size"], 3000);
    EXPECT_EQ(files[3], nlohmann::json({{"name", "EXTRA.TXT"},
                                        {"flagNames", {"notInstalled"}},
                                        {"result", "extracted"},
                                        {"path", "EXTRA.TXT"},
                                        {"size", 7}}));
    EXPECT_NE(r.err.find("3 files extracted to"), std::string::npos) << r.err;
}

TEST_F(CliInstall, QuietPrintsErrorsOnly) {
    std::string disk = Write(space_);
    CommandResult r = Run("test -q " + disk);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out + r.err, "");
    r = Run("extract " + disk + " --quiet -d " + ShellQuote(Host("out").string()));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(ReadHostFile(Host("out/uninstal.exe")), PatternBytes(500, 3));
    fs::rename(Host("pkg/disk3"), Host("elsewhere"));
    r = Run("install -q " + disk + " --root " + ShellQuote(Host("root").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("disk 3 is missing"), std::string::npos) << r.err;
}

} // namespace
