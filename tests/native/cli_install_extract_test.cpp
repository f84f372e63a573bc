// disksetup install and extract: fresh roots and Wine prefix layouts, INSV packages, several
// disks, missing disks, prompts without a terminal, and hostile names that must stay inside
// the output directory.
#include "package/catalogue.h"
#include "tests/support/pe_image.h"
#include "tests/support/run_command.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadHost(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Every regular file below root, as relative paths.
std::set<std::string> FilesBelow(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), root).string());
    return files;
}

class CliInstall : public ::testing::Test {
  protected:
    CommandResult Run(const std::string& args) {
        return RunCommand(std::string(DISKSETUP_CLI) + " " + args);
    }
    // Writes package as pkg\disk1.. and returns disk 1's host directory, quoted.
    std::string Write(const TestPackage& package) {
        WriteTestPackage(box_, package, box_.Path("pkg\\"));
        return ShellQuote(Sandbox::Host(box_.Path("pkg\\disk1")));
    }
    fs::path Host(const std::string& relative) {
        return fs::path(Sandbox::Host(box_.Root())) / relative;
    }

    Sandbox box_;
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
    EXPECT_EQ(ReadHost(dir / "SPACE.EXE"), PatternBytes(40000, 1));
    EXPECT_EQ(ReadHost(dir / "DATA/LEVEL.DAT"), PatternBytes(3000, 2));
    EXPECT_EQ(ReadHost(dir / "uninstal.exe"), PatternBytes(500, 3));
    EXPECT_EQ(ReadHost(dir / "uninstal.bin"), box_.Read(box_.Path("pkg\\disk1\\SETUP.bin")));
    EXPECT_FALSE(fs::exists(dir / "EXTRA.TXT"));
    EXPECT_EQ(Text(ReadHost(Host("root/WINDOWS/zom.ini"))), "[setup]\r\ngrmf=35\r\n");
    EXPECT_NE(
        r.out.find(
            "3 of 3 files placed in C:\\WINDOWS\\SPACE\\, 0 skipped as older than the installed "
            "copy, 0 ignored, 43500 bytes\n"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  [CreateGroup(Applications)]\n"
                         "  [ReplaceItem(Space Game)]\n"
                         "  [AddItem(\"SPACE.EXE\",Space Game,,,,,C:\\WINDOWS\\SPACE)]\n"
                         "  [ReplaceItem(Uninstall Space Game)]\n"
                         "  [AddItem(uninstal.exe,Uninstall Space Game,,,,,C:\\WINDOWS\\SPACE)]\n"),
              std::string::npos)
        << r.out;

    // Again: the settings file keeps its value, the own uninstaller is replaced.
    std::ofstream(Host("root/WINDOWS/zom.ini"), std::ios::trunc) << "[setup]\r\ngrmf=0\r\n";
    r = Run("install " + disk + " --root " + root);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Text(ReadHost(Host("root/WINDOWS/zom.ini"))), "[setup]\r\ngrmf=0\r\n");
    EXPECT_FALSE(fs::exists(dir / "unins1.exe"));
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
    EXPECT_EQ(ReadHost(windows / "syswow64/LIB.DLL"), BuildPeImage(v2));
    EXPECT_EQ(ReadHost(windows / "DRIVER.DRV"), PatternBytes(100));
    EXPECT_EQ(ReadHost(windows / "DRIVER.exe"), PatternBytes(50));
    EXPECT_EQ(ReadHost(windows / "DRIVER.bin"), box_.Read(box_.Path("pkg\\disk1\\SETUP.bin")));
    EXPECT_EQ(Text(ReadHost(windows / "zom.ini")), "[setup]\r\ngrmf=35\r\n");
    EXPECT_EQ(r.out.find("AddItem"), std::string::npos);

    // A newer installed copy stays.
    PeImageOptions v3;
    v3.versionMs = 0x00030000;
    std::ofstream(windows / "syswow64/LIB.DLL", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(BuildPeImage(v3).data()), BuildPeImage(v3).size());
    r = Run("install " + disk + " --wine-prefix " + ShellQuote(Host("prefix").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadHost(windows / "syswow64/LIB.DLL"), BuildPeImage(v3));
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
    std::ofstream(Host("root/WINDOWS/SPACE/SPACE.EXE")) << "old";
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
    EXPECT_EQ(Text(ReadHost(Host("root/WINDOWS/SPACE/SPACE.EXE"))), "old");
    EXPECT_NE(r.out.find("2 of 3 files placed"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 ignored"), std::string::npos) << r.out;
}

TEST_F(CliInstall, ExtractKeepsHostileNamesInsideTheOutput) {
    TestPackage hostile{
        .files = {{.name = "..\\..\\x1", .bytes = PatternBytes(1, 1)},
                  {.name = "\\x2", .bytes = PatternBytes(2, 2)},
                  {.name = "Z:x3", .bytes = PatternBytes(3, 3)},
                  {.name = "\\\\srv\\share\\x4", .bytes = PatternBytes(4, 4)},
                  {.name = "sub\\..\\..\\..\\x5", .bytes = PatternBytes(5, 5)},
                  {.name = "C:\\..\\d/../../x6", .bytes = PatternBytes(6, 6)},
                  {.name = "HIDDEN", .bytes = PatternBytes(7, 7), .flags = FlagNotInstalled}}};
    std::string disk = Write(hostile);
    fs::create_directories(Host("a/b"));
    std::set<std::string> before = FilesBelow(Host(""));
    CommandResult r = Run("extract " + disk + " -d " + ShellQuote(Host("a/b/out").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::set<std::string> after = FilesBelow(Host(""));
    std::set<std::string> added;
    for (const std::string& f : after)
        if (!before.count(f)) added.insert(f);
    EXPECT_EQ(added, std::set<std::string>({"a/b/out/x1", "a/b/out/x2", "a/b/out/x3",
                                            "a/b/out/srv/share/x4", "a/b/out/x5", "a/b/out/x6"}));
    EXPECT_EQ(ReadHost(Host("a/b/out/srv/share/x4")), PatternBytes(4, 4));
    EXPECT_EQ(ReadHost(Host("a/b/out/x6")), PatternBytes(6, 6));

    r = Run("extract " + disk + " --all -d " + ShellQuote(Host("all").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadHost(Host("all/HIDDEN")), PatternBytes(7, 7));
    EXPECT_EQ(r.out, "7 files extracted to " + Host("all").string() + "\n");
}

TEST_F(CliInstall, ExtractRefusesNamesThatLeaveNoFileName) {
    std::string disk = Write({.files = {{.name = "GOOD", .bytes = PatternBytes(3)},
                                        {.name = "..\\..", .bytes = PatternBytes(2)},
                                        {.name = "Z:\\", .bytes = PatternBytes(1)}}});
    CommandResult r = Run("extract " + disk + " -d " + ShellQuote(Host("out").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("..\\..: the name leaves no file name below the output; skipped"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(FilesBelow(Host("out")), std::set<std::string>({"GOOD"}));
}

TEST_F(CliInstall, ExtractAcrossDisksAndWithAMissingOne) {
    std::string disk = Write(space_);
    CommandResult r = Run("extract " + disk + " -d " + ShellQuote(Host("out").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadHost(Host("out/DATA/LEVEL.DAT")), PatternBytes(3000, 2));
    EXPECT_EQ(ReadHost(Host("out/uninstal.exe")), PatternBytes(500, 3));
    fs::rename(Host("pkg/disk3"), Host("elsewhere"));
    r = Run("extract " + disk + " -d " + ShellQuote(Host("out2").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("disk 3 is missing"), std::string::npos) << r.err;
    r = Run("extract " + disk + " --disk 3=" + ShellQuote(Host("elsewhere").string()) + " -d " +
            ShellQuote(Host("out3").string()));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadHost(Host("out3/uninstal.exe")), PatternBytes(500, 3));
}

} // namespace
