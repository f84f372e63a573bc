// Hostile packages against disksetup list, test, extract and install: names that try to leave
// the target, Segments that point past their Volume or at disks that are not there, a size
// prefix that claims 4 GB, a catalogue whose record count lies and a Volume whose disk lies.
#include "lzhuf/encoder.h"
#include "package/catalogue.h"
#include "tests/support/catalogue_bytes.h"
#include "tests/support/cli_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Stored(const std::vector<uint8_t>& bytes) {
    return EncodeStoredStream(bytes.data(), bytes.size());
}

// A Volume that says it is disk `disk`, followed by the given pieces.
std::vector<uint8_t> VolumeBytes(uint16_t disk, const std::vector<std::vector<uint8_t>>& pieces) {
    std::vector<uint8_t> out = {static_cast<uint8_t>(disk), static_cast<uint8_t>(disk >> 8)};
    for (const auto& piece : pieces)
        out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

class Hostile : public CliFixture {
  protected:
    // Writes pkg\disk1\SETUP.bin and pkg\diskN\PROG.dat for each volume given; returns disk 1's
    // host directory, quoted.
    std::string WriteRaw(const std::vector<RecordSpec>& records,
                         const std::map<int, std::vector<uint8_t>>& volumes, int count = -1) {
        box_.Write(box_.Path("pkg\\disk1\\SETUP.bin"),
                   CatalogueBytes("IDSK", "PROG.EXE", "Hostile", records, count));
        for (const auto& [disk, bytes] : volumes)
            box_.Write(box_.Path("pkg\\disk" + std::to_string(disk) + "\\PROG.dat"), bytes);
        return Quoted("pkg/disk1");
    }
};

// The odd names: reserved devices, trailing dots and spaces, control characters, names that
// climb, rooted, drive-lettered and UNC names; the 259- and 260-character ones only where
// the command cannot take them.
TestPackage OddNames(bool withLongNames) {
    TestPackage package{
        .files = {{.name = "CON", .bytes = PatternBytes(1, 1)},
                  {.name = "NUL", .bytes = PatternBytes(2, 2)},
                  {.name = "COM1", .bytes = PatternBytes(3, 3)},
                  {.name = "dots...", .bytes = PatternBytes(4, 4)},
                  {.name = "space  ", .bytes = PatternBytes(5, 5)},
                  {.name = "ctl\x01\x1f\x7f", .bytes = PatternBytes(6, 6)},
                  {.name = "..\\..\\..\\..\\up", .bytes = PatternBytes(9, 9)},
                  {.name = "Z:\\zed", .bytes = PatternBytes(10, 10)},
                  {.name = "\\lead", .bytes = PatternBytes(11, 11)},
                  {.name = "\\\\server\\share\\unc", .bytes = PatternBytes(12, 12)}}};
    if (withLongNames) {
        package.files.push_back({.name = std::string(259, 'L'), .bytes = PatternBytes(7, 7)});
        package.files.push_back({.name = std::string(260, 'M'), .bytes = PatternBytes(8, 8)});
    }
    return package;
}

TEST_F(Hostile, ListAndTestShowOddNamesEscapedAndIntact) {
    std::string disk = Write(OddNames(true));
    CommandResult r = Run("list " + disk);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Records:  12\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" ctl\\x01\\x1F\\x7F "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" \\\\server\\share\\unc "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(std::string(260, 'M') + " 1:"), std::string::npos) << r.out;
    r = Run("test " + disk);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("ok       ctl\\x01\\x1F\\x7F (6 bytes)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("ok       " + std::string(259, 'L') + " (7 bytes)\n"), std::string::npos);
    EXPECT_NE(r.out.find("12 files: 12 intact, 0 damaged\n"), std::string::npos) << r.out;
}

TEST_F(Hostile, ExtractKeepsOddNamesInsideTheOutputAndRefusesOverlongOnes) {
    std::string disk = Write(OddNames(true));
    std::set<std::string> before = FilesBelow(Host(""));
    CommandResult r = Run("extract " + disk + " -d " + Quoted("out"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "10 files extracted to " + Host("out").string() + "\n");
    EXPECT_NE(r.err.find("disksetup: " + std::string(259, 'L') +
                         ": the name is 259 characters, more than the 256 a path below the "
                         "output allows; skipped\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(std::string(260, 'M') + ": the name is 260 characters"),
              std::string::npos);
    EXPECT_EQ(Added(before),
              std::set<std::string>({"out/CON", "out/NUL", "out/COM1", "out/dots...", "out/space  ",
                                     "out/ctl\x01\x1f\x7f", "out/up", "out/zed", "out/lead",
                                     "out/server/share/unc"}));
    EXPECT_EQ(ReadHostFile(Host("out/CON")), PatternBytes(1, 1));
    EXPECT_EQ(ReadHostFile(Host("out/space  ")), PatternBytes(5, 5));
    EXPECT_EQ(ReadHostFile(Host("out/up")), PatternBytes(9, 9));
}

TEST_F(Hostile, ExtractKeepsHostileNamesInsideTheOutput) {
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
    std::set<std::string> added = Added(before);
    EXPECT_EQ(added, std::set<std::string>({"a/b/out/x1", "a/b/out/x2", "a/b/out/x3",
                                            "a/b/out/srv/share/x4", "a/b/out/x5", "a/b/out/x6"}));
    EXPECT_EQ(ReadHostFile(Host("a/b/out/srv/share/x4")), PatternBytes(4, 4));
    EXPECT_EQ(ReadHostFile(Host("a/b/out/x6")), PatternBytes(6, 6));

    r = Run("extract " + disk + " --all -d " + ShellQuote(Host("all").string()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadHostFile(Host("all/HIDDEN")), PatternBytes(7, 7));
    EXPECT_EQ(r.out, "7 files extracted to " + Host("all").string() + "\n");
}

TEST_F(Hostile, ExtractRefusesNamesThatLeaveNoFileName) {
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

TEST_F(Hostile, InstallKeepsOddNamesBelowTheRoot) {
    std::string disk = Write(OddNames(false));
    std::set<std::string> before = FilesBelow(Host(""));
    CommandResult r = Run("install " + disk + " --root " + Quoted("root"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("10 of 10 files placed in C:\\WINDOWS\\PROG\\"), std::string::npos);
    // C:\ is the root: climbing names stop there, other drives and UNC names land below it.
    EXPECT_EQ(Added(before),
              std::set<std::string>({"root/WINDOWS/PROG/CON", "root/WINDOWS/PROG/NUL",
                                     "root/WINDOWS/PROG/COM1", "root/WINDOWS/PROG/dots...",
                                     "root/WINDOWS/PROG/space  ",
                                     "root/WINDOWS/PROG/ctl\x01\x1f\x7f", "root/WINDOWS/zom.ini",
                                     "root/up", "root/zed", "root/lead", "root/server/share/unc"}));
    EXPECT_EQ(ReadHostFile(Host("root/server/share/unc")), PatternBytes(12, 12));
    EXPECT_EQ(ReadHostFile(Host("root/WINDOWS/PROG/NUL")), PatternBytes(2, 2));
}

TEST_F(Hostile, InstallStopsAtANameTooLongForTheDestination) {
    std::string disk = Write({.files = {{.name = "FIRST", .bytes = PatternBytes(3)},
                                        {.name = std::string(259, 'L'), .bytes = PatternBytes(7)},
                                        {.name = "AFTER", .bytes = PatternBytes(4)}}});
    std::set<std::string> before = FilesBelow(Host(""));
    CommandResult r = Run("install " + disk + " --root " + Quoted("root"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("disksetup: " + std::string(259, 'L') + ": write error!\n"),
              std::string::npos)
        << r.err;
    // The summary counts the refused file among those placed; the bytes tell the truth.
    EXPECT_NE(r.out.find(", 3 bytes (incomplete)\n"), std::string::npos) << r.out;
    EXPECT_EQ(Added(before), std::set<std::string>({"root/WINDOWS/PROG/FIRST"}));
}

// Records whose Segments point past their Volume, far past it, twice at the same bytes, at
// disk 0 (no Segment at all), at a disk that does not exist, and at a disk whose Volume says
// it is another.
std::vector<RecordSpec> BadSegmentRecords(uint32_t al, uint32_t bl) {
    return {{.name = "GOOD", .segments = {{1, 2, al}}},
            {.name = "PAST", .segments = {{1, 2 + al, bl + 50}}},
            {.name = "FAR", .segments = {{1, 100000, 10}}},
            {.name = "OVERLAP", .segments = {{1, 2, al}, {1, 2, al}}},
            {.name = "DISK0", .segments = {{0, 2, al}}},
            {.name = "DISK9", .segments = {{9, 2, al}}},
            {.name = "LIAR2", .segments = {{2, 2, al}}}};
}

TEST_F(Hostile, TestNamesEachBadSegmentWithItsNumbers) {
    std::vector<uint8_t> a = Stored(PatternBytes(100, 1)), b = Stored(PatternBytes(200, 2));
    std::string disk = WriteRaw(BadSegmentRecords(a.size(), b.size()),
                                {{1, VolumeBytes(1, {a, b})}, {2, VolumeBytes(3, {a})}});
    ASSERT_EQ(a.size() + b.size() + 2, 333u);
    CommandResult r = Run("list " + disk);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(" OVERLAP                  1:2+111 1:2+111\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(" DISK0                    (empty)\n"), std::string::npos) << r.out;
    r = Run("test " + disk);
    EXPECT_EQ(r.exitCode, 2);
    std::string volume1 = Host("pkg/disk1/PROG.dat").string();
    for (const std::string& line : std::vector<std::string>{
             "ok       GOOD (100 bytes)\n",
             "DAMAGED  PAST\n         PAST: read error! (reading the piece at offset 113 of 270 "
             "bytes from the Volume of disk 1, " +
                 volume1 + ", 333 bytes)\n",
             "DAMAGED  FAR\n         the Volume of disk 1 (" + volume1 +
                 ", 333 bytes) ends inside the piece at offset 100000 of 10 bytes\n",
             "ok       OVERLAP (100 bytes)\n",
             "DAMAGED  DISK0\n         the stored stream ends inside its 4-byte size (0 of its "
             "bytes are "
             "there)\n",
             "DAMAGED  DISK9\n         disk 9 is missing; tried " + Host("pkg/disk9").string(),
             "DAMAGED  LIAR2\n         disk 2: the Volume " + Host("pkg/disk2/PROG.dat").string() +
                 " holds disk 3, not disk 2\n",
             "7 files: 2 intact, 5 damaged\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\nin\n" << r.out;
}

TEST_F(Hostile, ExtractAndInstallNameTheRecordCutShortAndStopThere) {
    std::vector<uint8_t> a = Stored(PatternBytes(100, 1)), b = Stored(PatternBytes(200, 2));
    std::string disk = WriteRaw(BadSegmentRecords(a.size(), b.size()),
                                {{1, VolumeBytes(1, {a, b})}, {2, VolumeBytes(3, {a})}});
    const std::string pastError =
        "disksetup: PAST: read error! (reading the piece at offset 113 of "
        "270 bytes from the Volume of disk 1, " +
        Host("pkg/disk1/PROG.dat").string() + ", 333 bytes)\n";
    std::set<std::string> before = FilesBelow(Host(""));
    CommandResult r = Run("extract " + disk + " -d " + Quoted("out"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "1 file extracted to " + Host("out").string() + "\n");
    EXPECT_EQ(r.err, pastError);
    // The cut-short file is never left, nor its temporary.
    EXPECT_EQ(Added(before), std::set<std::string>({"out/GOOD"}));
    EXPECT_EQ(ReadHostFile(Host("out/GOOD")), PatternBytes(100, 1));

    before = FilesBelow(Host(""));
    r = Run("install " + disk + " --root " + Quoted("root"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, pastError);
    EXPECT_NE(r.out.find(", 100 bytes (incomplete)\n"), std::string::npos) << r.out;
    EXPECT_EQ(Added(before), std::set<std::string>({"root/WINDOWS/PROG/GOOD"}));
}

TEST_F(Hostile, ExtractAndInstallNameARecordWhoseStreamHasNoBytes) {
    std::vector<uint8_t> a = Stored(PatternBytes(100, 1)), b = Stored(PatternBytes(200, 2));
    for (size_t k : {2, 4}) { // FAR: the piece starts past the Volume; DISK0: no Segment at all
        std::vector<RecordSpec> all = BadSegmentRecords(a.size(), b.size());
        std::string disk = WriteRaw({all[0], all[k]}, {{1, VolumeBytes(1, {a, b})}});
        std::set<std::string> before = FilesBelow(Host(""));
        std::string out = "out" + std::to_string(k), root = "root" + std::to_string(k);
        CommandResult r = Run("extract " + disk + " -d " + Quoted(out));
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(
            r.err,
            "disksetup: " + all[k].name +
                ": the stored stream ends inside its 4-byte size (0 of its bytes are there)\n");
        r = Run("install " + disk + " --root " + Quoted(root));
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(
            r.err,
            "disksetup: " + all[k].name +
                ": the stored stream ends inside its 4-byte size (0 of its bytes are there)\n");
        EXPECT_NE(r.out.find(", 100 bytes (incomplete)\n"), std::string::npos) << r.out;
        std::set<std::string> added = Added(before);
        for (const std::string& f : added)
            EXPECT_TRUE(f.rfind(out + "/", 0) == 0 || f.rfind(root + "/", 0) == 0) << f;
        EXPECT_TRUE(added.count(out + "/GOOD") && added.count(root + "/WINDOWS/PROG/GOOD"));
    }
}

TEST_F(Hostile, MissingDiskAndLyingVolumeStopExtractAndInstallWithTheirNumbers) {
    std::vector<uint8_t> a = Stored(PatternBytes(100, 1)), b = Stored(PatternBytes(200, 2));
    std::vector<RecordSpec> all = BadSegmentRecords(a.size(), b.size());
    std::string disk = WriteRaw({all[0], all[5]}, {{1, VolumeBytes(1, {a, b})}});
    CommandResult r = Run("extract " + disk + " -d " + Quoted("out"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("disk 9 is missing; tried " + Host("pkg/disk9").string()),
              std::string::npos)
        << r.err;
    disk = WriteRaw({all[0], all[6]}, {{1, VolumeBytes(1, {a, b})}, {2, VolumeBytes(3, {a})}});
    r = Run("install " + disk + " --root " + Quoted("root"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "disksetup: disk 2: the Volume " + Host("pkg/disk2/PROG.dat").string() +
                         " holds disk 3, not disk 2\n");
    EXPECT_EQ(ReadHostFile(Host("root/WINDOWS/PROG/GOOD")), PatternBytes(100, 1));
    EXPECT_FALSE(fs::exists(Host("root/WINDOWS/zom.ini")));
}

TEST_F(Hostile, RecordCountThatLies) {
    std::vector<uint8_t> a = Stored(PatternBytes(100, 1));
    uint32_t al = a.size();
    std::vector<RecordSpec> records = {{.name = "ONE", .segments = {{1, 2, al}}},
                                       {.name = "TWO", .segments = {{1, 2, al}}}};
    // More records claimed than the file holds: the catalogue is refused, naming its file.
    std::string disk = WriteRaw(records, {{1, VolumeBytes(1, {a})}}, 5);
    for (const std::string& command :
         std::vector<std::string>{"list ", "test ", "extract -d " + Quoted("out") + " "}) {
        CommandResult r = Run(command + disk);
        EXPECT_EQ(r.exitCode, 2) << command;
        EXPECT_EQ(r.err, "disksetup: " + Host("pkg/disk1/SETUP.bin").string() +
                             ": read error! (the header counts 5 records; record 3 at offset 408 "
                             "does not lie whole within the file's 408 bytes)\n");
    }
    EXPECT_FALSE(fs::exists(Host("out/ONE")));
    // Fewer: only those are read.
    disk = WriteRaw(records, {{1, VolumeBytes(1, {a})}}, 1);
    CommandResult r = Run("test " + disk);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ok       ONE (100 bytes)\n1 file: 1 intact, 0 damaged\n");
    // A record whose Length is too short for its own Segment list.
    records[1].lengthAdjust = -12;
    disk = WriteRaw(records, {{1, VolumeBytes(1, {a})}});
    r = Run("install " + disk + " --root " + Quoted("root"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "disksetup: " + Host("pkg/disk1/SETUP.bin").string() +
                         ": read error! (the header counts 2 records; record 2 at offset 377 is "
                         "malformed: its Length of 19 bytes does not hold its fields, name and "
                         "Segment list with their ends)\n");
    EXPECT_FALSE(fs::exists(Host("root/WINDOWS/PROG")));
}

// A stream whose size prefix claims 4 GB - 1 over 100 bytes' worth of codes: its data runs out
// and the expansion stops after a bounded amount of zero-bit output instead of writing gigabytes;
// the record is named with the size it claims, and the files before it stay installed.
TEST_F(Hostile, SizeClaimingFourGigabytesStopsSoonAndIsNamed) {
    std::vector<uint8_t> a = Stored(PatternBytes(100, 1)), huge = Stored(PatternBytes(100, 3));
    huge[0] = huge[1] = huge[2] = huge[3] = 0xFF;
    uint32_t al = a.size(), hl = huge.size();
    std::vector<RecordSpec> records = {{.name = "FIRST", .segments = {{1, 2, al}}},
                                       {.name = "HUGE", .segments = {{1, 2 + al, hl}}},
                                       {.name = "LAST", .segments = {{1, 2, al}}}};
    std::string disk = WriteRaw(records, {{1, VolumeBytes(1, {a, huge})}});
    const std::string claim =
        " (its stored data ends before its size of 4294967295 bytes is reached)";

    CommandResult r = Run("test " + disk);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "ok       FIRST (100 bytes)\nDAMAGED  HUGE\n         HUGE: read error!" +
                         claim + "\nok       LAST (100 bytes)\n3 files: 2 intact, 1 damaged\n");

    r = Run("extract " + disk + " -d " + Quoted("out"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "disksetup: HUGE: read error!" + claim + "\n");
    EXPECT_EQ(r.out, "1 file extracted to " + Host("out").string() + "\n");
    // The cut-short file is never left, nor its temporary: only FIRST is in the output.
    EXPECT_EQ(std::distance(fs::directory_iterator(Host("out")), fs::directory_iterator()), 1);
    EXPECT_EQ(ReadHostFile(Host("out/FIRST")), PatternBytes(100, 1));
    EXPECT_FALSE(fs::exists(Host("out/LAST")));

    r = Run("install " + disk + " --root " + Quoted("root"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "disksetup: HUGE: read error!" + claim + "\n");
    // The summary counts FIRST only: HUGE was stopped and LAST never reached.
    EXPECT_EQ(r.out.rfind("1 of 3 files placed in C:\\WINDOWS\\PROG\\, 0 skipped", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(" (incomplete)\n"), std::string::npos) << r.out;
}

} // namespace
