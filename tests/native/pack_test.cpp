// The package writer: disk plans, manifests, packages read back through the engine's own
// loader, reader and decoder, determinism, and every refusal.
#include "base/memory.h"
#include "base/paths.h"
#include "lzhuf/decoder.h"
#include "lzhuf/output_writer.h"
#include "pack/disk_layout.h"
#include "pack/manifest.h"
#include "pack/pack_error.h"
#include "pack/package_writer.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "tests/support/pe_image.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Deterministic file contents: text-like runs that compress, and a noisy tail that does not.
std::vector<uint8_t> Corpus(size_t size, uint32_t seed) {
    std::vector<uint8_t> out(size);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = i < size / 2 ? static_cast<uint8_t>("the quick brown fox "[(i + seed) % 20])
                              : static_cast<uint8_t>(x >> 24);
    }
    return out;
}

// The segments of each record of a catalogue image, walked with the engine's record walk.
struct ImageRecord {
    std::string name;
    uint16_t flags, sizeKb;
    uint32_t versionMs, versionLs;
    std::vector<PlannedPiece> pieces;
};
std::vector<ImageRecord> RecordsOf(const std::vector<uint8_t>& catalogue) {
    const uint8_t* area = catalogue.data() + CatalogueHeaderSize;
    uint32_t size = static_cast<uint32_t>(catalogue.size() - CatalogueHeaderSize);
    uint32_t count = ReadU16(catalogue.data() + 344);
    EXPECT_EQ(FirstBadRecord(area, size, count), count);
    std::vector<ImageRecord> records;
    for (const uint8_t* r = area; records.size() < count; r = NextRecord(r)) {
        ImageRecord& record = records.emplace_back();
        record.name = RecordName(r);
        record.flags = RecordFlags(r);
        record.sizeKb = RecordSizeKb(r);
        RecordVersion(r, &record.versionMs, &record.versionLs);
        for (const uint8_t* s = RecordFirstSegment(r); SegmentDisk(s) != 0 && SegmentLength(s) != 0;
             s += SegmentSize)
            record.pieces.push_back({SegmentDisk(s), SegmentOffset(s), SegmentLength(s)});
    }
    return records;
}

std::vector<uint8_t>* Expanded; // where the output sink puts the file being expanded
int32_t KeepOutput(const uint8_t* data, uint32_t count) {
    Expanded->insert(Expanded->end(), data, data + count);
    return static_cast<int32_t>(count);
}

// A package written into the sandbox, read back as the setup program reads it: a drive folder
// holds disk 1's catalogue and the Volume of the disk in the drive; disk prompts swap it.
class PackRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        sourceDir_ = Sandbox::Host(box_.Path("src"));
        // A disk prompt swaps in the disk asked for and is answered OK.
        boxes_.OnBox([this](const RecordedBox&) {
            Insert(CurrentDisk);
            boxes_.Answer(AnswerOk);
        });
    }
    void TearDown() override { Release(); }
    // Forgets the package that was read back, so that another can be.
    void Release() {
        CloseVolume();
        FreeLocked(&InputBufferHandle);
        ReleaseCatalogue();
    }
    std::string Source(const std::string& name, const std::vector<uint8_t>& bytes) {
        WriteHostFile(sourceDir_ + "/" + name, bytes);
        return sourceDir_ + "/" + name;
    }
    // Writes the image below pkg\, loads its catalogue from the drive and expands every record.
    std::vector<std::vector<uint8_t>> Expand(const PackageImage& image) {
        WritePackage(image, Sandbox::Host(box_.Path("pkg")));
        volumeName_ = image.volumeName;
        box_.Write(box_.Path("drive\\" + image.catalogueName), image.catalogue);
        Insert(1);
        PlatformOverrideProgramPath(
            box_.Path("drive\\" + image.catalogueName.substr(0, image.catalogueName.size() - 4) +
                      ".EXE")
                .c_str());
        EXPECT_EQ(LoadCatalogue(), StatusOk);
        CurrentDisk = 1;
        CopyText(VolumePath, PathSize, box_.Path("drive\\" + image.volumeName).c_str());
        InputBuffer = static_cast<uint8_t*>(AllocLocked(InputBufferSize, &InputBufferHandle));
        std::vector<std::vector<uint8_t>> files;
        std::vector<uint8_t> buffer(OutputBufferSize);
        const uint8_t* record = FirstRecord();
        for (uint32_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record)) {
            Expanded = &files.emplace_back();
            StartRecordStream(record);
            EXPECT_EQ(ExpandInto({buffer.data(), PlatformNoFile, &KeepOutput}, RecordName(record)),
                      StatusOk)
                << RecordName(record);
        }
        return files;
    }
    void Insert(int disk) {
        box_.Write(box_.Path("drive\\" + volumeName_),
                   box_.Read(box_.Path("pkg\\disk" + std::to_string(disk) + "\\" + volumeName_)));
    }
    Sandbox box_;
    ScriptedBoxes boxes_;
    std::string sourceDir_;
    std::string volumeName_;
};

PackManifest Manifest(std::vector<ManifestFile> files, uint64_t diskSize = DefaultDiskSize) {
    PackManifest m;
    m.program = "SPACE.EXE";
    m.title = "Space Game";
    m.diskSize = diskSize;
    m.files = std::move(files);
    return m;
}

// ---- disk plans ------------------------------------------------------------------------

TEST(PlanDisks, FillsEachDiskToItsCapacityAndSplitsAtAnyByte) {
    // Disk 1: 100 bytes, 40 reserved, 2 for the disk number: 58 for streams.
    DiskPlan plan = PlanDisks({50, 10, 0, 200}, 100, 40);
    ASSERT_EQ(plan.pieces.size(), 4u);
    EXPECT_EQ(plan.pieces[0].size(), 1u);
    EXPECT_EQ(plan.pieces[0][0].offset, 2u);
    // 8 bytes left on disk 1: the second stream splits there, inside its first bytes.
    ASSERT_EQ(plan.pieces[1].size(), 2u);
    EXPECT_EQ(plan.pieces[1][0].disk, 1);
    EXPECT_EQ(plan.pieces[1][0].offset, 52u);
    EXPECT_EQ(plan.pieces[1][0].length, 8u);
    EXPECT_EQ(plan.pieces[1][1].disk, 2);
    EXPECT_EQ(plan.pieces[1][1].offset, 2u);
    EXPECT_EQ(plan.pieces[1][1].length, 2u);
    EXPECT_TRUE(plan.pieces[2].empty());
    // 200 bytes: 96 on disk 2 from offset 4, 98 on disk 3, 6 on disk 4.
    ASSERT_EQ(plan.pieces[3].size(), 3u);
    EXPECT_EQ(plan.pieces[3][0].offset, 4u);
    EXPECT_EQ(plan.pieces[3][0].length, 96u);
    EXPECT_EQ(plan.pieces[3][1].length, 98u);
    EXPECT_EQ(plan.pieces[3][2].disk, 4);
    EXPECT_EQ(plan.pieces[3][2].length, 6u);
    EXPECT_EQ(plan.volumeSizes, (std::vector<uint64_t>{60, 100, 100, 8}));
}

TEST(PlanDisks, ExactlyFullDiskStartsTheNextStreamOnTheNextDisk) {
    DiskPlan plan = PlanDisks({98, 5}, 100, 0);
    ASSERT_EQ(plan.pieces[1].size(), 1u);
    EXPECT_EQ(plan.pieces[1][0].disk, 2);
    EXPECT_EQ(plan.pieces[1][0].offset, 2u);
}

TEST(PlanDisks, RefusesDisksTooSmallTooManyOrTooLargeToSeek) {
    EXPECT_THROW(PlanDisks({10}, 2, 0), PackError);
    try {
        PlanDisks({10}, 1000, 999);
        FAIL();
    } catch (const PackError& e) {
        EXPECT_NE(std::string(e.what()).find("999 bytes of catalogue"), std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find("disk size 1000"), std::string::npos) << e.what();
    }
    // One byte of data per disk: 65535 disks hold 65535 bytes, not one more.
    EXPECT_EQ(PlanDisks({65535}, 3, 0).volumeSizes.size(), 65535u);
    EXPECT_THROW(PlanDisks({65536}, 3, 0), PackError);
    // A 3 GB disk would put bytes beyond what a signed 32-bit seek reaches.
    EXPECT_EQ(PlanDisks({MaxVolumeSize - 2}, 3000000000ull, 0).volumeSizes[0], MaxVolumeSize);
    try {
        PlanDisks({MaxVolumeSize - 1}, 3000000000ull, 0);
        FAIL();
    } catch (const PackError& e) {
        EXPECT_NE(std::string(e.what()).find("disk 1 would hold 2147483648 bytes"),
                  std::string::npos)
            << e.what();
    }
}

TEST(PlanPackage, KeepsRoomOnDiskOneUntilTheCatalogueWithItsSplitsFits) {
    // Three records of 30 bytes with one Segment each make a 436-byte catalogue, leaving 62
    // bytes of a 500-byte disk 1 for data: the first stream splits, its second Segment grows
    // the catalogue to 446 bytes, and disk 1 then holds 52 bytes of data.
    std::vector<RecordShape> records(3, RecordShape{"F", 20, 95});
    DiskPlan plan = PlanPackage(records, 500, 0);
    EXPECT_EQ(PlannedCatalogueSize(records, plan), 446u);
    ASSERT_EQ(plan.pieces[0].size(), 2u);
    EXPECT_EQ(plan.pieces[0][0].length, 52u);
    EXPECT_EQ(plan.volumeSizes[0], 54u);
    // The setup program takes its room on disk 1 too.
    EXPECT_EQ(PlanPackage(records, 500, 40).pieces[0][0].length, 12u);
}

TEST(PlanPackage, RefusesARecordOfMoreThan65535Bytes) {
    // 500 MB on 70000-byte disks: over 7000 Segments in one record.
    try {
        PlanPackage({{"HUGE.DAT", 30, 500000000}}, 70000, 0);
        FAIL();
    } catch (const PackError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "record 1 \"HUGE.DAT\" would be 71470 bytes (7144 segments); a record "
                  "holds at most 65535 bytes (choose a larger disk size)");
    }
    // 6000 Segments still fit.
    EXPECT_GE(PlanPackage({{"BIG.DAT", 30, 6000ull * 69998}}, 70000, 0).pieces[0].size(), 6000u);
}

// ---- manifests ---------------------------------------------------------------------------

TEST(Manifest, ReadsEveryKeyAndResolvesSourcesFromItsDirectory) {
    PackManifest m = ParseManifest(R"(
program = "SPACE.EXE"
title = "Space Game"
kind = "insv"
setup = "INSTALL"
disk_size = 720000
setup_program = "tools/INSTALL.EXE"
[[file]]
source = "bin/SPACE.EXE"
name = "SPACE.EXE"
[[file]]
source = "/abs/SHARED.DLL"
name = "SYSTEM/SHARED.DLL"
shared = true
version = "2.1.0.5"
[[file]]
source = "README.TXT"
name = "README.TXT"
install = false
)",
                                   "/base", "m.toml");
    EXPECT_EQ(m.program, "SPACE.EXE");
    EXPECT_TRUE(m.insv);
    EXPECT_EQ(m.setup, "INSTALL");
    EXPECT_EQ(m.diskSize, 720000u);
    EXPECT_EQ(m.setupProgram, "/base/tools/INSTALL.EXE");
    ASSERT_EQ(m.files.size(), 3u);
    EXPECT_EQ(m.files[0].source, "/base/bin/SPACE.EXE");
    EXPECT_EQ(m.files[1].source, "/abs/SHARED.DLL");
    EXPECT_TRUE(m.files[1].shared);
    ASSERT_TRUE(m.files[1].version.has_value());
    EXPECT_EQ(m.files[1].version->ms, 0x00020001u);
    EXPECT_EQ(m.files[1].version->ls, 0x00000005u);
    EXPECT_FALSE(m.files[2].install);
    EXPECT_TRUE(m.files[0].install);
}

TEST(Manifest, RefusesMistakesNamingKeyAndPlace) {
    auto error = [](const std::string& text) {
        try {
            ParseManifest(text, "/b", "m.toml");
        } catch (const PackError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    const std::string head = "program = \"P.EXE\"\ntitle = \"T\"\n";
    EXPECT_EQ(error("title = \"T\"\n"), "manifest m.toml: key \"program\" is missing");
    EXPECT_EQ(error(head + "disk = 5\n"), "manifest m.toml: key \"disk\" is not known");
    EXPECT_EQ(error(head + "kind = \"zip\"\n"),
              "manifest m.toml: key \"kind\" is \"zip\"; it must be \"ordinary\" or \"insv\"");
    EXPECT_EQ(error(head + "disk_size = \"big\"\n"),
              "manifest m.toml: key \"disk_size\" must be an integer");
    EXPECT_EQ(error(head + "disk_size = 0\n"),
              "manifest m.toml: key \"disk_size\" is 0; it must be positive");
    EXPECT_EQ(
        error(head +
              "[[file]]\nsource = \"a\"\nname = \"A\"\n[[file]]\nsource = \"b\"\ninstal = false\n"),
        "manifest m.toml, file 2: key \"instal\" is not known");
    EXPECT_EQ(error(head + "[[file]]\nsource = \"a\"\nname = \"A\"\nversion = \"1.0\"\n"),
              "manifest m.toml, file 1: key \"version\" is given for a file that is not shared");
    EXPECT_NE(
        error(head +
              "[[file]]\nsource = \"a\"\nname = \"A\"\nshared = true\nversion = \"1.70000\"\n")
            .find("file 1: key \"version\": version \"1.70000\" is not"),
        std::string::npos);
    EXPECT_NE(error(head + "title = \"again\"\n").find("manifest m.toml, line 3"),
              std::string::npos);
}

TEST(Manifest, VersionsHaveOneToFourParts) {
    EXPECT_EQ(ParseFileVersion("1").ms, 0x00010000u);
    FileVersion v = ParseFileVersion("65535.2.3.4");
    EXPECT_EQ(v.ms, 0xFFFF0002u);
    EXPECT_EQ(v.ls, 0x00030004u);
    for (const char* bad : {"", "1.", ".1", "1.2.3.4.5", "65536", "1.x", "-1"})
        EXPECT_THROW(ParseFileVersion(bad), PackError) << bad;
}

TEST(Manifest, DirectoryListsFilesSortedWithOptionsApplied) {
    Sandbox box;
    std::string dir = Sandbox::Host(box.Path("src"));
    for (const char* name : {"b.txt", "A.EXE", "sub/z.dll", "UNINST.EXE", "sub/readme"})
        WriteHostFile(dir + "/" + name, std::vector<uint8_t>{1, 2, 3});
    DirectoryPackOptions options;
    options.directory = dir;
    options.program = "A.EXE";
    options.title = "A";
    options.shared = {"sub/z.dll=1.2.3.4"};
    options.notInstalled = {"sub/readme"};
    options.uninstaller = "UNINST.EXE";
    PackManifest m = ManifestFromDirectory(options);
    std::vector<std::string> names;
    for (const ManifestFile& f : m.files)
        names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{"A.EXE", "uninstal.exe", "b.txt", "sub/readme",
                                               "sub/z.dll"}));
    EXPECT_FALSE(m.files[3].install);
    EXPECT_TRUE(m.files[4].shared);
    EXPECT_EQ(m.files[4].version->ls, 0x00030004u);
    options.shared = {"nothere.dll"};
    EXPECT_THROW(ManifestFromDirectory(options), PackError);
}

// ---- packages read back through the engine -------------------------------------------------

TEST_F(PackRoundTrip, SingleDiskPackageExpandsToItsSources) {
    std::vector<std::vector<uint8_t>> sources = {
        Corpus(70000, 1), {}, Corpus(1, 2), Corpus(1024, 3), Corpus(1025, 4)};
    std::vector<ManifestFile> files;
    for (size_t i = 0; i < sources.size(); ++i)
        files.push_back({Source("f" + std::to_string(i), sources[i]),
                         "DIR/F" + std::to_string(i),
                         false,
                         true,
                         {}});
    files[2].install = false;
    files[3].shared = true;
    files[3].version = FileVersion{0x00030002, 0x00010000};
    PackageImage image = BuildPackage(Manifest(files));
    ASSERT_EQ(image.volumes.size(), 1u);
    std::vector<ImageRecord> records = RecordsOf(image.catalogue);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].name, "DIR\\F0");
    // Installed size in KB, rounded up.
    EXPECT_EQ(records[0].sizeKb, 69);
    EXPECT_EQ(records[1].sizeKb, 0);
    EXPECT_EQ(records[2].sizeKb, 1);
    EXPECT_EQ(records[3].sizeKb, 1);
    EXPECT_EQ(records[4].sizeKb, 2);
    EXPECT_EQ(records[2].flags, FlagNotInstalled);
    EXPECT_EQ(records[3].flags, 0x0002);
    EXPECT_EQ(records[3].versionMs, 0x00030002u);
    // The empty file is a stored size of 0, never an empty list.
    ASSERT_EQ(records[1].pieces.size(), 1u);
    EXPECT_EQ(records[1].pieces[0].length, 4u);
    EXPECT_EQ(ReadU32(image.volumes[0].data() + records[1].pieces[0].offset), 0u);
    EXPECT_EQ(ReadU16(image.volumes[0].data()), 1);

    EXPECT_EQ(Expand(image), sources);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_STREQ(Header.Title, "Space Game");
    EXPECT_FALSE(InsvPackage);
}

// Packs the corpus on disks of each size from the range until one puts a split where wanted.
PackageImage PackWithSplit(const PackManifest& base, uint64_t from, uint64_t to,
                           bool (*wanted)(const std::vector<ImageRecord>&)) {
    for (uint64_t size = from; size < to; ++size) {
        PackManifest m = base;
        m.diskSize = size;
        PackageImage image = BuildPackage(m);
        if (wanted(RecordsOf(image.catalogue))) return image;
    }
    ADD_FAILURE() << "no disk size from " << from << " to " << to << " splits as wanted";
    return {};
}

bool SplitInsideSizePrefix(const std::vector<ImageRecord>& records) {
    for (const ImageRecord& r : records)
        if (r.pieces.size() > 1 && r.pieces[0].length < 4) return true;
    return false;
}

bool SplitMidStream(const std::vector<ImageRecord>& records) {
    for (const ImageRecord& r : records)
        if (r.pieces.size() > 1 && r.pieces[0].length > 4 && r.pieces[0].disk == 1) return true;
    return false;
}

TEST_F(PackRoundTrip, SplitsInsideSizePrefixesAndMidStreamExpandAcrossDisks) {
    std::vector<std::vector<uint8_t>> sources;
    std::vector<ManifestFile> files;
    for (int i = 0; i < 12; ++i) {
        sources.push_back(Corpus(300 + 97 * i, 10 + i));
        files.push_back({Source("s" + std::to_string(i), sources.back()),
                         "S" + std::to_string(i),
                         false,
                         true,
                         {}});
    }
    PackManifest base = Manifest(files);
    PackageImage prefixSplit = PackWithSplit(base, 1000, 1400, &SplitInsideSizePrefix);
    ASSERT_GT(prefixSplit.volumes.size(), 2u);
    EXPECT_EQ(Expand(prefixSplit), sources);
    EXPECT_EQ(boxes_.Boxes().size(), prefixSplit.volumes.size() - 1); // one prompt per disk change
    Release();

    PackageImage midSplit = PackWithSplit(base, 1500, 1900, &SplitMidStream);
    EXPECT_EQ(Expand(midSplit), sources);
}

TEST_F(PackRoundTrip, EveryDiskIsFilledAndDiskOneCountsCatalogueAndSetupProgram) {
    std::vector<ManifestFile> files;
    for (int i = 0; i < 30; ++i)
        files.push_back({Source("s" + std::to_string(i), Corpus(2000 + 13 * i, i)),
                         "S" + std::to_string(i),
                         false,
                         true,
                         {}});
    PackManifest m = Manifest(files, 4000);
    m.setupProgram = Source("INSTALL.exe", Corpus(700, 99));
    m.setup = "INSTALL";
    PackageImage image = BuildPackage(m);
    EXPECT_EQ(image.setupProgramName, "INSTALL.exe");
    EXPECT_EQ(image.catalogueName, "INSTALL.bin");
    ASSERT_GT(image.volumes.size(), 3u);
    // Splits make the catalogue longer; disk 1 holds it whole, with the setup program.
    size_t pieces = 0;
    for (const ImageRecord& r : RecordsOf(image.catalogue))
        pieces += r.pieces.size();
    EXPECT_GT(pieces, 30u + image.volumes.size() / 2);
    EXPECT_EQ(image.catalogue.size() + image.setupProgram.size() + image.volumes[0].size(), 4000u);
    for (size_t d = 1; d + 1 < image.volumes.size(); ++d)
        EXPECT_EQ(image.volumes[d].size(), 4000u) << d;
    EXPECT_LE(image.volumes.back().size(), 4000u);
    for (size_t d = 0; d < image.volumes.size(); ++d)
        EXPECT_EQ(ReadU16(image.volumes[d].data()), d + 1);
    std::vector<std::string> written = WritePackage(image, Sandbox::Host(box_.Path("out")));
    EXPECT_EQ(ReadHostFile(written[1]), image.setupProgram);
    EXPECT_EQ(fs::path(written[1]).filename(), "INSTALL.exe");
}

TEST_F(PackRoundTrip, SameInputGivesTheSameBytes) {
    std::vector<ManifestFile> files;
    for (int i = 0; i < 6; ++i)
        files.push_back({Source("s" + std::to_string(i), Corpus(5000 + 777 * i, i)),
                         "S" + std::to_string(i),
                         false,
                         true,
                         {}});
    PackManifest m = Manifest(files, 9000);
    m.insv = true;
    std::vector<std::string> first = WritePackage(BuildPackage(m), Sandbox::Host(box_.Path("one")));
    std::vector<std::string> second =
        WritePackage(BuildPackage(m), Sandbox::Host(box_.Path("two")));
    ASSERT_EQ(first.size(), second.size());
    ASSERT_GT(first.size(), 3u);
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(ReadHostFile(first[i]), ReadHostFile(second[i])) << first[i];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ReadHostFile(first[0]).data()), 4), "INSV");
}

TEST_F(PackRoundTrip, SharedFileVersionComesFromItsPeResourceUnlessGiven) {
    PeImageOptions pe;
    pe.versionMs = 0x00040003;
    pe.versionLs = 0x00020001;
    std::string dll = Source("SHARED.DLL", BuildPeImage(pe));
    std::string text = Source("PLAIN.TXT", Corpus(100, 1));
    PackageImage image = BuildPackage(Manifest(
        {{dll, "SHARED.DLL", true, true, {}}, {text, "PLAIN.DLL", true, true, FileVersion{7, 8}}}));
    std::vector<ImageRecord> records = RecordsOf(image.catalogue);
    EXPECT_EQ(records[0].versionMs, 0x00040003u);
    EXPECT_EQ(records[0].versionLs, 0x00020001u);
    EXPECT_EQ(records[1].versionMs, 7u);
    EXPECT_EQ(records[1].versionLs, 8u);
    try {
        BuildPackage(Manifest({{text, "PLAIN.DLL", true, true, {}}}));
        FAIL();
    } catch (const PackError& e) {
        EXPECT_NE(std::string(e.what()).find("has no PE version resource"), std::string::npos)
            << e.what();
    }
}

// ---- refusals ------------------------------------------------------------------------------

std::string Refusal(const PackManifest& m) {
    try {
        BuildPackage(m);
    } catch (const PackError& e) {
        EXPECT_EQ(e.kind, PackError::BadInput);
        return e.what();
    }
    return "accepted";
}

TEST_F(PackRoundTrip, RefusesWhatTheFormatCannotHold) {
    std::string small = Source("small", Corpus(10, 1));
    PackManifest m = Manifest({{small, "SMALL", false, true, {}}});
    EXPECT_EQ(Refusal(m), "accepted");

    PackManifest longProgram = m;
    longProgram.program = std::string(256, 'P') + ".EXE";
    EXPECT_NE(Refusal(longProgram).find("is 260 characters; the catalogue holds at most 259"),
              std::string::npos);
    longProgram.program = std::string(255, 'P') + ".EXE";
    EXPECT_EQ(Refusal(longProgram), "accepted");

    PackManifest longTitle = m;
    longTitle.title = std::string(80, 'T');
    EXPECT_NE(Refusal(longTitle).find("is 80 characters; the catalogue holds at most 79"),
              std::string::npos);
    longTitle.title = "The \"Best\" Game";
    EXPECT_NE(Refusal(longTitle).find("holds a double quote, which no program-manager command"),
              std::string::npos);
    longTitle.title = "Space, (Deluxe) [1]";
    EXPECT_EQ(Refusal(longTitle), "accepted");

    PackManifest longName = m;
    longName.files[0].name = std::string(260, 'N');
    EXPECT_NE(Refusal(longName).find("file 1 (" + small + ") name"), std::string::npos);
    EXPECT_NE(Refusal(longName).find("260 characters"), std::string::npos);

    PackManifest many = m;
    many.files.assign(65536, m.files[0]);
    EXPECT_EQ(Refusal(many),
              "the package has 65536 files; a catalogue holds at most 65535 records");

    PackManifest tiny = m;
    tiny.diskSize = 300;
    EXPECT_NE(Refusal(tiny).find("disk 1 is too small for the catalogue"), std::string::npos);
}

TEST_F(PackRoundTrip, RefusesFilesTooLargeForSizeKb) {
    std::string big = Sandbox::Host(box_.Path("big"));
    fs::create_directories(fs::path(big).parent_path());
    std::ofstream(big).close();
    fs::resize_file(big, 65535ull * 1024 + 1);
    std::string why = Refusal(Manifest({{big, "BIG", false, true, {}}}));
    EXPECT_NE(why.find("67107841 bytes, 65536 KB"), std::string::npos) << why;
}

TEST_F(PackRoundTrip, RefusesBadTextsDuplicatesAndMissingSources) {
    std::string small = Source("small", Corpus(10, 1));
    PackManifest m =
        Manifest({{small, "SMALL", false, true, {}}, {small, "small", false, true, {}}});
    EXPECT_NE(Refusal(m).find("record 2 \"small\": an earlier record has the same name"),
              std::string::npos);
    m.files.pop_back();
    PackManifest text = m;
    text.files[0].name = "caf\xC3\xA9 \xE2\x82\xAC.txt"; // code page 1252 spells both
    EXPECT_EQ(Refusal(text), "accepted");
    text.files[0].name = "\xC4\x80.txt"; // A with macron: 1252 has none
    EXPECT_NE(Refusal(text).find(
                  "holds \\xC4\\x80 (byte 0), a character that code page 1252 cannot spell"),
              std::string::npos);
    text.files[0].name = "caf\xE9.txt"; // 1252 itself is not UTF-8
    EXPECT_NE(Refusal(text).find("is not UTF-8 text (byte 3)"), std::string::npos);
    text.files[0].name = "A\tB";
    EXPECT_NE(Refusal(text).find("control character"), std::string::npos);
    // Names that Windows cannot hold, or that lead outside their place, are refused by the rule
    // the removal keeps them by (its verdicts have a table test of their own), the host's '/'
    // taken as '\'; what the installation places below the destination's drive passes.
    for (const char* bad : {"sub/LPT1.DAT", "//srv/share/x", "sub/../x", "a//b"}) {
        text.files[0].name = bad;
        EXPECT_NE(Refusal(text).find("is no name Windows can hold"), std::string::npos) << bad;
    }
    for (const char* good : {"/ROOTED/X", "D:/DIR/X"}) {
        text.files[0].name = good;
        EXPECT_EQ(Refusal(text), "accepted") << good;
    }
    PackManifest program = m;
    program.program = "BIN\\SPACE.EXE";
    EXPECT_NE(Refusal(program).find("must be a file name without directory"), std::string::npos);
    PackManifest missing = m;
    missing.files[0].source = small + ".gone";
    EXPECT_EQ(Refusal(missing), "file 1: " + small + ".gone cannot be opened");
}

} // namespace
