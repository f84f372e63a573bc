// disksetup pack and test: packages written by the command, listed and tested back, across
// disks; damaged packages; refusals and usage errors with their exit codes.
#include "tests/support/run_command.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <map>

namespace fs = std::filesystem;

namespace {

// Deterministic contents: a compressible first half and a noisy second half.
std::string Contents(size_t size, uint32_t seed) {
    std::string out(size, ' ');
    uint32_t x = seed + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = i < size / 2 ? "abcdefgh\n"[(i + seed) % 9] : static_cast<char>(x >> 24);
    }
    return out;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliPack : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = Sandbox::Host(box_.Path(""));
        WriteHostFile(root_ / "src/SPACE.EXE", Contents(9000, 1));
        WriteHostFile(root_ / "src/DATA/LEVELS.DAT", Contents(14000, 2));
        WriteHostFile(root_ / "src/EMPTY.TXT", "");
        WriteHostFile(root_ / "src/README.TXT", Contents(500, 3));
        WriteHostFile(root_ / "src/UNINST.EXE", Contents(3000, 4));
    }
    // Packs src on disks of size bytes into out; every stream of LEVELS.DAT and SPACE.EXE
    // crosses at least one disk.
    CommandResult PackDir(const std::string& out, uint64_t size, const std::string& extra = "") {
        return RunDisksetup(
            "pack --dir " + ShellQuote((root_ / "src").string()) +
            " --program SPACE.EXE --title 'Space Game' --uninstaller UNINST.EXE"
            " --not-installed README.TXT --shared DATA/LEVELS.DAT=1.2.3.4 --disk-size " +
            std::to_string(size) + extra + " -o " + ShellQuote((root_ / out).string()));
    }
    CommandResult Test(const std::string& args) { return RunDisksetup("test " + args); }
    std::string Disk(const std::string& out, int n) {
        return ShellQuote((root_ / out / ("disk" + std::to_string(n))).string());
    }

    Sandbox box_;
    fs::path root_;
};

TEST_F(CliPack, ManifestPackageListsAndTestsIntact) {
    WriteHostFile(root_ / "m.toml", R"(program = "SPACE.EXE"
title = "Space Game"
setup = "INSTALL"
setup_program = "src/UNINST.EXE"
[[file]]
source = "src/SPACE.EXE"
name = "SPACE.EXE"
[[file]]
source = "src/DATA/LEVELS.DAT"
name = "DATA/LEVELS.DAT"
shared = true
version = "2.1.0.5"
[[file]]
source = "src/EMPTY.TXT"
name = "EMPTY.TXT"
[[file]]
source = "src/UNINST.EXE"
name = "uninstal.exe"
[[file]]
source = "src/README.TXT"
name = "README.TXT"
install = false
)");
    CommandResult r = RunDisksetup("pack " + ShellQuote((root_ / "m.toml").string()) + " -o " +
                                   ShellQuote((root_ / "out").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Text(ReadHostFile(root_ / "out/disk1/INSTALL.EXE")), Contents(3000, 4));
    EXPECT_TRUE(fs::exists(root_ / "out/disk1/INSTALL.bin"));
    EXPECT_TRUE(Contains(r.out, "1 disk, "));

    r = RunDisksetup("list " + Disk("out", 1));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "Title:    Space Game\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "Records:  5\n"));
    EXPECT_TRUE(Contains(r.out, "shared             14  2.1.0.5         DATA\\LEVELS.DAT"))
        << r.out;
    EXPECT_TRUE(Contains(r.out, "not installed       1  -               README.TXT")) << r.out;
    EXPECT_TRUE(
        Contains(r.out, "ordinary            0  -               EMPTY.TXT                1:"))
        << r.out;

    r = Test(Disk("out", 1));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "ok       SPACE.EXE (9000 bytes)\n"
                     "ok       DATA\\LEVELS.DAT (14000 bytes)\n"
                     "ok       EMPTY.TXT (0 bytes)\n"
                     "ok       uninstal.exe (3000 bytes)\n"
                     "ok       README.TXT (500 bytes)\n"
                     "5 files: 5 intact, 0 damaged\n");
}

TEST_F(CliPack, BuiltinUninstallerBecomesTheLastRecordUnlessOneIsNamedAlready) {
    WriteHostFile(root_ / "m.toml", "program = \"SPACE.EXE\"\ntitle = \"Space Game\"\n"
                                    "uninstaller = \"builtin\"\n[[file]]\n"
                                    "source = \"src/SPACE.EXE\"\nname = \"SPACE.EXE\"\n");
    // Found beside the packer, in any letter case, when no file is given.
    fs::create_directories(root_ / "bin");
    fs::copy_file(DISKSETUP_CLI, root_ / "bin/disksetup");
    fs::copy_file(root_ / "src/UNINST.EXE", root_ / "bin/Uninstal.Exe");
    CommandResult r = RunCommand(ShellQuote((root_ / "bin/disksetup").string()) + " pack " +
                                 ShellQuote((root_ / "m.toml").string()) + " -o " +
                                 ShellQuote((root_ / "out").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = Test(Disk("out", 1));
    EXPECT_EQ(r.out, "ok       SPACE.EXE (9000 bytes)\n"
                     "ok       uninstal.exe (3000 bytes)\n"
                     "2 files: 2 intact, 0 damaged\n");
    WriteHostFile(root_ / "own.toml", Text(ReadHostFile(root_ / "m.toml")) +
                                          "[[file]]\nsource = \"src/UNINST.EXE\"\n"
                                          "name = \"UNINSTAL.EXE\"\n");
    r = RunDisksetup("pack " + ShellQuote((root_ / "own.toml").string()) +
                     " --builtin-uninstaller " + ShellQuote((root_ / "src/UNINST.EXE").string()) +
                     " -o " + ShellQuote((root_ / "own").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "is already the uninstaller; the built-in one cannot be added too"))
        << r.err;
}

TEST_F(CliPack, KitProgramsAreFoundBelowTheInstalledPrefix) {
    fs::create_directories(root_ / "usr/bin");
    fs::copy_file(DISKSETUP_CLI, root_ / "usr/bin/disksetup");
    WriteHostFile(root_ / "usr/share/disksetup/SETUP.EXE", Contents(2000, 5));
    fs::copy_file(root_ / "src/UNINST.EXE", root_ / "usr/share/disksetup/UNINSTAL.EXE");
    WriteHostFile(root_ / "m.toml", "program = \"SPACE.EXE\"\ntitle = \"Space Game\"\n"
                                    "setup = \"INSTALL\"\nsetup_program = \"builtin\"\n"
                                    "uninstaller = \"builtin\"\n[[file]]\n"
                                    "source = \"src/SPACE.EXE\"\nname = \"SPACE.EXE\"\n");
    std::string kit = ShellQuote((root_ / "usr/bin/disksetup").string());
    CommandResult r = RunCommand(kit + " pack " + ShellQuote((root_ / "m.toml").string()) + " -o " +
                                 ShellQuote((root_ / "out").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Text(ReadHostFile(root_ / "out/disk1/INSTALL.EXE")), Contents(2000, 5));
    EXPECT_TRUE(Contains(Test(Disk("out", 1)).out, "ok       uninstal.exe (3000 bytes)\n"));
    fs::remove(root_ / "usr/share/disksetup/SETUP.EXE");
    r = RunCommand(kit + " pack --dir " + ShellQuote((root_ / "src").string()) +
                   " --program SPACE.EXE --title Space --setup-program builtin -o " +
                   ShellQuote((root_ / "none").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "the built-in setup program is not found; tried")) << r.err;
    EXPECT_TRUE(Contains(r.err, (root_ / "usr/share/disksetup/SETUP.EXE").string())) << r.err;
}

TEST_F(CliPack, MultiDiskPackageTestsIntactAndPacksTheSameTwice) {
    ASSERT_EQ(PackDir("one", 4000).exitCode, 0);
    ASSERT_EQ(PackDir("two", 4000).exitCode, 0);
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root_ / "one")) {
        if (!entry.is_regular_file()) continue;
        ++files;
        fs::path twin = root_ / "two" / fs::relative(entry.path(), root_ / "one");
        EXPECT_EQ(Text(ReadHostFile(entry.path())), Text(ReadHostFile(twin))) << twin;
    }
    EXPECT_GE(files, 5u); // the catalogue and at least four Volumes
    CommandResult r = Test(Disk("one", 1));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "ok       uninstal.exe (3000 bytes)\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "5 files: 5 intact, 0 damaged\n")) << r.out;
    // The catalogue file itself is a path to test, too.
    EXPECT_EQ(Test(ShellQuote((root_ / "one/disk1/SETUP.bin").string())).exitCode, 0);
}

// Bytes of every file below dir: what a package occupies on its disks.
uintmax_t TotalBytes(const fs::path& dir) {
    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file()) total += entry.file_size();
    return total;
}

TEST_F(CliPack, BestPackagesTestIntactAndAreNoLarger) {
    ASSERT_EQ(PackDir("plain", 4000).exitCode, 0);
    CommandResult r = PackDir("best", 4000, " --best");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_LE(TotalBytes(root_ / "best"), TotalBytes(root_ / "plain"));
    r = Test(Disk("best", 1));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "5 files: 5 intact, 0 damaged\n")) << r.out;

    // The manifest form, and compress, take the flag too; compress --best is smaller on text.
    WriteHostFile(root_ / "m.toml", "program = \"SPACE.EXE\"\ntitle = \"Space Game\"\n[[file]]\n"
                                    "source = \"src/SPACE.EXE\"\nname = \"SPACE.EXE\"\n");
    r = RunDisksetup("pack --best " + ShellQuote((root_ / "m.toml").string()) + " -o " +
                     ShellQuote((root_ / "mbest").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Test(Disk("mbest", 1)).exitCode, 0);
    std::string text;
    for (int i = 0; text.size() < 60000; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + " of the " +
                (i % 3 ? "setup" : "readme") + " text\n";
    WriteHostFile(root_ / "text.txt", text);
    std::string in = ShellQuote((root_ / "text.txt").string());
    ASSERT_EQ(
        RunDisksetup("compress " + in + " " + ShellQuote((root_ / "a.lzh").string())).exitCode, 0);
    ASSERT_EQ(RunDisksetup("compress --best " + in + " " + ShellQuote((root_ / "b.lzh").string()))
                  .exitCode,
              0);
    EXPECT_LT(fs::file_size(root_ / "b.lzh"), fs::file_size(root_ / "a.lzh"));
    ASSERT_EQ(RunDisksetup("expand " + ShellQuote((root_ / "b.lzh").string()) + " " +
                           ShellQuote((root_ / "b.txt").string()))
                  .exitCode,
              0);
    EXPECT_EQ(Text(ReadHostFile(root_ / "b.txt")), text);
}

TEST_F(CliPack, MissingDiskNamesTheDiskAndThePathsTried) {
    ASSERT_EQ(PackDir("out", 4000).exitCode, 0);
    fs::rename(root_ / "out/disk3", root_ / "elsewhere");
    CommandResult r = Test(Disk("out", 1));
    EXPECT_EQ(r.exitCode, 2);
    std::string dir = (root_ / "out").string();
    EXPECT_TRUE(Contains(r.out, "disk 3 is missing; tried " + dir + "/disk3, " + dir + "/Disk3, " +
                                    dir + "/DISK3, " + dir + " (any case)"))
        << r.out;
    EXPECT_TRUE(Contains(r.out, "DAMAGED  SPACE.EXE\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "ok       uninstal.exe (3000 bytes)\n")) << r.out;

    // Told where disk 3 lies, the package is whole again.
    r = Test(Disk("out", 1) + " --disk 3=" + ShellQuote((root_ / "elsewhere").string()));
    EXPECT_EQ(r.exitCode, 0) << r.out;
    // A sibling named in another case is found by the scan.
    fs::rename(root_ / "elsewhere", root_ / "out/dIsK3");
    EXPECT_EQ(Test(Disk("out", 1)).exitCode, 0);
}

TEST_F(CliPack, DiskFoldersNamedLikeTheFirstOneAreFound) {
    ASSERT_EQ(PackDir("out", 4000).exitCode, 0);
    int disks = 0;
    while (fs::exists(root_ / "out" / ("disk" + std::to_string(disks + 1))))
        ++disks;
    ASSERT_GT(disks, 2);
    // The series as disk collections name them; each renames the previous one.
    std::string of = " of " + std::to_string(disks) + ")";
    std::vector<std::function<std::string(int)>> series = {
        [](int n) { return "cd-" + std::to_string(n); },
        [&](int n) { return "Orbit (Disk " + std::to_string(n) + of; },
        [](int n) { return "Orbit (Disk " + std::to_string(n) + ")"; },
        [](int n) { return "Orbit - Disk " + std::to_string(n); },
        [](int n) { return "ORBITd" + std::to_string(n); },
        [](int n) { return "GAME-" + std::string(1, static_cast<char>('A' + n - 1)); },
    };
    std::function<std::string(int)> previous = [](int n) { return "disk" + std::to_string(n); };
    for (const auto& name : series) {
        for (int n = 1; n <= disks; ++n)
            fs::rename(root_ / "out" / previous(n), root_ / "out" / name(n));
        previous = name;
        CommandResult r = Test(ShellQuote((root_ / "out" / name(1)).string()));
        EXPECT_EQ(r.exitCode, 0) << name(1) << "\n" << r.out;
    }
    // Another stem is not taken for the series.
    fs::rename(root_ / "out/GAME-B", root_ / "out/floppy-B");
    CommandResult r = Test(ShellQuote((root_ / "out/GAME-A").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.out, "disk 2 is missing; tried ")) << r.out;
    EXPECT_TRUE(Contains(r.out, (root_ / "out/GAME-B").string())) << r.out;
}

TEST_F(CliPack, TruncatedVolumeIsReportedWithItsDiskAndSize) {
    ASSERT_EQ(PackDir("out", 4000).exitCode, 0);
    fs::path volume = root_ / "out/disk2/SPACE.dat";
    fs::resize_file(volume, 1000);
    CommandResult r = Test(Disk("out", 1));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.out, "from the Volume of disk 2, " + volume.string() + ", 1000 bytes)"))
        << r.out;
    EXPECT_TRUE(Contains(r.out, ": read error! (reading the piece at offset ")) << r.out;
    EXPECT_FALSE(Contains(r.out, " 0 damaged"));
}

TEST_F(CliPack, TestJsonGivesEachFilesResultInOneDocumentOfTheSchema) {
    ASSERT_EQ(PackDir("out", 4000).exitCode, 0);
    CommandResult r = Test("--json " + Disk("out", 1));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(SchemaProblems(r.out), "");
    nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["command"], "test");
    std::map<std::string, int> sizes;
    for (const nlohmann::json& file : doc["files"])
        sizes[file["name"]] = file.value("size", -1);
    EXPECT_EQ(sizes, (std::map<std::string, int>{{"SPACE.EXE", 9000},
                                                 {"DATA\\LEVELS.DAT", 14000},
                                                 {"EMPTY.TXT", 0},
                                                 {"uninstal.exe", 3000},
                                                 {"README.TXT", 500}}));
    fs::resize_file(root_ / "out/disk2/SPACE.dat", 1000);
    r = Test("--json " + Disk("out", 1));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(SchemaProblems(r.out), "");
    doc = nlohmann::json::parse(r.out);
    int damaged = 0;
    for (const nlohmann::json& file : doc["files"])
        damaged += file["result"] == "damaged";
    EXPECT_GT(damaged, 0);
    EXPECT_EQ(doc["damaged"], damaged);
    EXPECT_EQ(doc["intact"], 5 - damaged);
    // The schema refuses what breaks it.
    doc["files"][0]["result"] = "fine";
    EXPECT_NE(SchemaProblems(doc.dump()), "");
}

TEST_F(CliPack, VolumeOfAnotherDiskIsNamedWithTheNumberItHolds) {
    ASSERT_EQ(PackDir("out", 4000).exitCode, 0);
    fs::copy_file(root_ / "out/disk3/SPACE.dat", root_ / "out/disk2/SPACE.dat",
                  fs::copy_options::overwrite_existing);
    CommandResult r = Test(Disk("out", 1));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.out, "disk 2: the Volume " + (root_ / "out/disk2/SPACE.dat").string() +
                                    " holds disk 3, not disk 2"))
        << r.out;
}

TEST_F(CliPack, MissingVolumeInAnExistingDiskFolderIsNamed) {
    ASSERT_EQ(PackDir("out", 4000).exitCode, 0);
    fs::remove(root_ / "out/disk2/SPACE.dat");
    CommandResult r = Test(Disk("out", 1));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.out, (root_ / "out/disk2/SPACE.dat").string() +
                                    " (the Volume of disk 2): read error!"))
        << r.out;
}

TEST_F(CliPack, RefusalsWriteNothingAndExitTwo) {
    // The catalogue does not fit on disk 1.
    CommandResult r = PackDir("small", 300);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "disk 1 is too small for the catalogue")) << r.err;
    EXPECT_FALSE(fs::exists(root_ / "small"));

    r = RunDisksetup("pack --dir " + ShellQuote((root_ / "src").string()) +
                     " --program SPACE.EXE --title " + std::string(80, 'T') + " -o " +
                     ShellQuote((root_ / "long").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "is 80 characters; the catalogue holds at most 79")) << r.err;
    EXPECT_FALSE(fs::exists(root_ / "long"));

    WriteHostFile(root_ / "bad.toml", "program = \"P.EXE\"\ntitle = \"T\"\ndisksize = 5\n");
    r = RunDisksetup("pack " + ShellQuote((root_ / "bad.toml").string()) + " -o " +
                     ShellQuote((root_ / "bad").string()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "key \"disksize\" is not known")) << r.err;
    EXPECT_FALSE(fs::exists(root_ / "bad"));
}

// A re-pack replaces the package in OUT whole or not at all: one that fails while writing
// leaves OUT as it was and nothing beside it; one that succeeds leaves none of the previous
// package's files (another catalogue name, folders or images) and none of anyone else's gone.
TEST_F(CliPack, RepackReplacesThePreviousPackageWholeOrNotAtAll) {
    ASSERT_EQ(PackDir("out", 4000).exitCode, 0);
    WriteHostFile(root_ / "out/disk1/NOTES.TXT", "the author's own");
    WriteHostFile(root_ / "out/disk2/SPACE.txt", "not a Volume");
    auto Tree = [&] {
        std::map<std::string, std::string> tree;
        for (const auto& entry : fs::recursive_directory_iterator(root_))
            if (entry.path().filename() != "src" && !fs::is_directory(entry.path()))
                tree[fs::relative(entry.path(), root_).string()] = Text(ReadHostFile(entry.path()));
        return tree;
    };
    auto before = Tree();
    // Files over 64 KB cannot be written: the 1440 KB image runs out of room half written.
    CommandResult r = RunCommand("trap '' XFSZ; ulimit -f 128; " + std::string(DISKSETUP_CLI) +
                                 " pack --dir " + ShellQuote((root_ / "src").string()) +
                                 " --program SPACE.EXE --title Space --image 1440 -o " +
                                 ShellQuote((root_ / "out").string()));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(Contains(r.err, "cannot write " + (root_ / "out/disk1.img").string())) << r.err;
    EXPECT_EQ(Tree(), before);

    r = PackDir("out", 4000, " --setup INSTALL");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(fs::exists(root_ / "out/disk1/SETUP.bin"));
    EXPECT_EQ(Test(Disk("out", 1)).exitCode, 0);
    ASSERT_EQ(PackDir("out", 1457664, " --image 1440").exitCode, 0);
    EXPECT_FALSE(fs::exists(root_ / "out/disk1/INSTALL.bin"));
    EXPECT_FALSE(fs::exists(root_ / "out/disk3"));
    EXPECT_TRUE(fs::exists(root_ / "out/disk1/NOTES.TXT"));
    EXPECT_TRUE(fs::exists(root_ / "out/disk2/SPACE.txt"));
    EXPECT_EQ(Test(ShellQuote((root_ / "out/disk1.img").string())).exitCode, 0);
}

TEST_F(CliPack, UsageErrorsExitOne) {
    std::string out = " -o " + ShellQuote((root_ / "u").string());
    EXPECT_EQ(RunDisksetup("pack" + out).exitCode, 1);
    EXPECT_EQ(
        RunDisksetup("pack --dir " + ShellQuote((root_ / "src").string()) + " --title T" + out)
            .exitCode,
        1);
    EXPECT_EQ(RunDisksetup("pack m.toml --dir src" + out).exitCode, 1);
    CommandResult inside =
        RunDisksetup("pack --dir " + ShellQuote((root_ / "src").string()) +
                     " --program P.EXE --title T -o " + ShellQuote((root_ / "src/out").string()));
    EXPECT_EQ(inside.exitCode, 1);
    EXPECT_TRUE(Contains(inside.err, "lies inside the source directory")) << inside.err;
    EXPECT_FALSE(fs::exists(root_ / "src/out"));
    ASSERT_EQ(PackDir("out", 4000).exitCode, 0);
    CommandResult r = Test(Disk("out", 1) + " --disk two=/tmp");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "--disk two=/tmp: expected N=PATH")) << r.err;
    EXPECT_EQ(Test(Disk("out", 1) + " --disk 0=/tmp").exitCode, 1);
}

} // namespace
