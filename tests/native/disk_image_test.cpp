// Packages on FAT floppy disk images: read as from folders, found beside disk 1 by name,
// written by pack --image for Debian's mtools and dosfstools, and hostile images refused.
#include "base/bytes.h"
#include "fat/image_reader.h"
#include "tests/support/cli_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

// Bytes that do not compress, so that a package spreads over several disks.
std::vector<uint8_t> Noise(size_t size) {
    std::vector<uint8_t> out(size);
    uint32_t x = 7;
    for (uint8_t& b : out)
        b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
    return out;
}

class DiskImages : public CliFixture {
  protected:
    // Everything a command leaves: exit code, output (its output directory as OUT) and the
    // files it wrote, each with a hash of its bytes.
    std::string Outcome(const std::string& command, const std::string& disk) {
        std::string out = "out" + std::to_string(++runs_);
        std::string args = command == "extract"   ? " -d " + Quoted(out)
                           : command == "install" ? " --root " + Quoted(out)
                                                  : "";
        CommandResult r = Run(command + " " + disk + args);
        std::string text = std::to_string(r.exitCode) + "\n" + r.out;
        for (size_t at; (at = text.find(Host(out).string())) != std::string::npos;)
            text.replace(at, Host(out).string().size(), "OUT");
        if (fs::exists(Host(out)))
            for (const std::string& file : FilesBelow(Host(out)))
                text +=
                    file + " " +
                    std::to_string(std::hash<std::string>()(Text(ReadHostFile(Host(out) / file)))) +
                    "\n";
        return text;
    }
    void ExpectSameOutcomes(const std::string& folder, const std::string& image) {
        for (const char* command : {"list", "test", "extract", "install"}) {
            std::string expected = Outcome(command, folder);
            EXPECT_EQ(expected.substr(0, 2), "0\n") << command << ": " << expected;
            EXPECT_EQ(Outcome(command, image), expected) << command << " " << image;
        }
    }
    CommandResult Pack(const std::string& out, const std::string& extra) {
        return Run("pack --dir " + Quoted("src") + " --program 'Space Game.exe' --title " +
                   "'Space Game' --shared DATA/LIB.DLL=1.2.3.4 --setup-program " +
                   Quoted("SETUP.EXE") + extra + " -o " + Quoted(out));
    }
    void WriteSources() {
        WriteHostFile(Host("src/SPACE.EXE"), Noise(800000));
        WriteHostFile(Host("src/DATA/LIB.DLL"), PatternBytes(5000, 2));
        WriteHostFile(Host("src/EMPTY.TXT"), "");
        WriteHostFile(Host("SETUP.EXE"), PatternBytes(2000, 3));
    }
    // Rewrites the image at relative with change applied to its bytes.
    void Patch(const std::string& relative,
               const std::function<void(std::vector<uint8_t>&)>& change) {
        std::vector<uint8_t> bytes = ReadHostFile(Host(relative));
        change(bytes);
        WriteHostFile(Host(relative), bytes);
    }

    // Writes space_ as 1440 KB images and keeps disk 1's bytes and geometry.
    void WriteSoundImage() {
        WriteImages(space_, 1440);
        sound_ = ReadHostFile(Host("pkg/disk1.img"));
        std::string problem;
        std::shared_ptr<const FatImage> fat = OpenFatImage(sound_, &problem);
        ASSERT_TRUE(fat) << problem;
        g_ = fat->geometry;
        int32_t volume = FindFatNode(*fat, {"SPACE.dat"});
        ASSERT_GT(volume, 0);
        chain_ = fat->nodes[volume].clusters;
        ASSERT_GT(chain_.size(), 2u);
    }
    // The first FAT of image b, laid out as the sound image's.
    uint8_t* FatOf(std::vector<uint8_t>& b) const {
        return b.data() + g_.reservedSectors * g_.bytesPerSector;
    }
    // The root directory entry of b named name11 (8.3 without the dot), or nullptr.
    uint8_t* EntryOf(std::vector<uint8_t>& b, const char* name11) const {
        uint8_t* root = b.data() + g_.rootSector * g_.bytesPerSector;
        for (uint8_t* e = root; e < root + g_.rootEntries * DirectoryEntrySize;
             e += DirectoryEntrySize)
            if (std::equal(name11, name11 + 11, e)) return e;
        return nullptr;
    }

    TestPackage space_{
        .program = "SPACE.EXE",
        .title = "Space Game",
        .files = {{.name = "SPACE.EXE", .bytes = PatternBytes(40000, 1)},
                  {.name = "DATA\\LEVEL.DAT", .bytes = PatternBytes(3000, 2), .disk = 2},
                  {.name = "uninstal.exe", .bytes = PatternBytes(500, 3), .disk = 3},
                  {.name = "EXTRA.TXT", .bytes = PatternBytes(7, 4), .flags = 1}}};
    int runs_ = 0;
    std::vector<uint8_t> sound_; // disk 1's image as packed
    FatGeometry g_{};
    std::vector<uint32_t> chain_; // the clusters of disk 1's Volume
};

TEST_F(DiskImages, PackedImagesGiveTheFoldersResults) {
    WriteSources();
    // The same disk size for folders and images, so both hold the same catalogue; the images
    // are shuffled into mixed-case names that are found from disk 1's name.
    ASSERT_EQ(Pack("dir", " --disk-size 300000").exitCode, 0);
    ASSERT_EQ(Pack("img", " --disk-size 300000 --image 1440").exitCode, 0);
    ASSERT_EQ(Pack("img720", " --disk-size 300000 --image 720").exitCode, 0);
    ASSERT_TRUE(fs::exists(Host("img/disk2.img")));
    fs::rename(Host("img/disk2.img"), Host("img/DISK2.IMG"));
    ExpectSameOutcomes(Quoted("dir/disk1"), Quoted("img/disk1.img"));
    ExpectSameOutcomes(Quoted("dir/disk1"), Quoted("img720/disk1.img"));
}

TEST_F(DiskImages, TestPackagesOnImagesGiveTheFoldersResults) {
    for (uint32_t kb : {1440u, 2880u}) {
        std::string image = WriteImages(space_, kb);
        ExpectSameOutcomes(Quoted("pkg/disk1"), image);
    }
}

TEST_F(DiskImages, ImagesNamedLikeTheFirstAreFoundInAnyCaseAndMissingOnesNamed) {
    WriteImages(space_, 1440);
    fs::create_directory(Host("set"));
    fs::rename(Host("pkg/disk1.img"), Host("set/Game 1.vfd"));
    fs::rename(Host("pkg/disk2.img"), Host("set/game 2.VFD"));
    fs::rename(Host("pkg/disk3.img"), Host("set/GAME 3.Vfd"));
    EXPECT_EQ(Outcome("test", Quoted("set/Game 1.vfd")), Outcome("test", Quoted("pkg/disk1")));

    fs::rename(Host("set/GAME 3.Vfd"), Host("elsewhere.img"));
    CommandResult r = Run("test " + Quoted("set/Game 1.vfd"));
    EXPECT_EQ(r.exitCode, 2);
    std::string set = Host("set").string();
    EXPECT_NE(r.out.find("disk 3 is missing; tried " + set + "/Game 3.vfd, " + set +
                         "/disk3.vfd, " + set + " (any case) (give it with --disk 3=PATH)"),
              std::string::npos)
        << r.out;
    // Given, an image mixes with a folder.
    r = Run("test " + Quoted("set/Game 1.vfd") + " --disk 2=" + Quoted("pkg/disk2") +
            " --disk 3=" + Quoted("elsewhere.img"));
    EXPECT_EQ(r.exitCode, 0) << r.out;
}

TEST_F(DiskImages, PackedImagesPassFsckAndReadBackWithMtoolsTheSameEachTime) {
    WriteSources();
    ASSERT_EQ(Pack("img", " --image 720").exitCode, 0);
    ASSERT_EQ(Pack("again", " --image 720").exitCode, 0);
    ASSERT_EQ(Pack("dir", " --disk-size " + std::to_string(713 * 1024 - 3 * 1024)).exitCode, 0);
    for (const char* disk : {"disk1", "disk2"}) {
        std::string image = Quoted("img/" + std::string(disk) + ".img");
        EXPECT_EQ(ReadHostFile(Host("img/" + std::string(disk) + ".img")),
                  ReadHostFile(Host("again/" + std::string(disk) + ".img")));
        CommandResult fsck = RunCommand("fsck.fat -n " + image);
        EXPECT_EQ(fsck.exitCode, 0) << fsck.out << fsck.err;
        CommandResult dir = RunCommand("mdir -i " + image + " ::");
        EXPECT_NE(dir.out.find("Volume in drive : is SPACE GAME"), std::string::npos) << dir.out;
        ASSERT_EQ(RunCommand("mcopy -n -i " + image + " '::Space Game.dat' " +
                             Quoted(std::string("copy-") + disk))
                      .exitCode,
                  0);
        EXPECT_EQ(ReadHostFile(Host(std::string("copy-") + disk)),
                  ReadHostFile(Host("dir/" + std::string(disk) + "/Space Game.dat")));
    }
    ASSERT_EQ(RunCommand("mcopy -n -i " + Quoted("img/disk1.img") + " ::SETUP.bin ::SETUP.EXE " +
                         Quoted(""))
                  .exitCode,
              0);
    EXPECT_EQ(ReadHostFile(Host("SETUP.bin")), ReadHostFile(Host("dir/disk1/SETUP.bin")));
    EXPECT_EQ(ReadHostFile(Host("SETUP.EXE")), PatternBytes(2000, 3));

    // What does not fit is refused before anything is written.
    WriteHostFile(Host("SETUP.EXE"), PatternBytes(800 * 1024, 3));
    CommandResult r = Pack("big", " --image 720");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(fs::exists(Host("big")));
}

TEST_F(DiskImages, ImagesMadeByMtoolsAreRecognisedWhateverTheirName) {
    Write(space_);
    // Disk 1's files on an image that mtools formats as kb KB.
    auto format = [&](const std::string& relative, const std::string& kb) {
        std::string image = Quoted(relative);
        EXPECT_EQ(RunCommand("mformat -C -f " + kb + " -v GAME -i " + image + " ::").exitCode, 0);
        EXPECT_EQ(RunCommand("mcopy -i " + image + " " + Quoted("pkg/disk1/SETUP.bin") + " " +
                             Quoted("pkg/disk1/SPACE.dat") + " ::")
                      .exitCode,
                  0);
        return image;
    };
    std::string image = format("floppy.dsk", "1440");
    ASSERT_EQ(RunCommand("mmd -i " + image + " ::sub ::sub/deeper").exitCode, 0);
    EXPECT_EQ(Outcome("list", image), Outcome("list", Quoted("pkg/disk1")));

    // A 160 KB disk whose boot sector holds no parameters, as the earliest ones did.
    std::string small = format("old.img", "160");
    Patch("old.img", [](auto& b) { std::fill(b.begin() + 11, b.begin() + 62, 0); });
    EXPECT_EQ(Outcome("list", small), Outcome("list", Quoted("pkg/disk1")));
}

// An image is read on demand: opening it reads the boot sector, the FAT and the directories,
// none of the data area of an image with files in its root only; a file's bytes are read as
// they are asked for, across clusters, and a part the image cannot give is an error.
TEST_F(DiskImages, OpeningReadsNoDataAndFilesAreReadOnDemand) {
    WriteImages(space_, 1440);
    std::vector<uint8_t> bytes = ReadHostFile(Host("pkg/disk1.img"));
    uint64_t read = 0;
    auto reader = [&](uint64_t offset, uint8_t* out, size_t count) {
        if (offset > bytes.size() || count > bytes.size() - offset) return false;
        std::copy_n(bytes.data() + offset, count, out);
        read += count;
        return true;
    };
    std::string problem;
    std::shared_ptr<const FatImage> fat = OpenFatImage(reader, bytes.size(), &problem);
    ASSERT_TRUE(fat) << problem;
    const FatGeometry& g = fat->geometry;
    EXPECT_LE(read, uint64_t{g.dataSector} * g.bytesPerSector);
    int32_t volume = FindFatNode(*fat, {"SPACE.dat"});
    ASSERT_GT(volume, 0);
    std::vector<uint8_t> whole = ReadHostFile(Host("pkg/disk1/SPACE.dat"));
    ASSERT_GT(whole.size(), 600u);
    uint8_t piece[100];
    read = 0;
    ASSERT_EQ(ReadFatFileAt(*fat, volume, 500, piece, 100), 100); // crosses a 512-byte cluster
    EXPECT_EQ(read, 100u);
    EXPECT_TRUE(std::equal(piece, piece + 100, whole.begin() + 500));
    EXPECT_EQ(ReadFatFile(*fat, volume), whole);
    bytes.resize(uint64_t{g.dataSector} * g.bytesPerSector);
    EXPECT_EQ(ReadFatFileAt(*fat, volume, 0, piece, 100), -1);
}

TEST_F(DiskImages, HostileImagesAreRefusedNamingTheImage) {
    ASSERT_NO_FATAL_FAILURE(WriteSoundImage());
    const std::vector<uint8_t>& sound = sound_;
    const FatGeometry& g = g_;
    const std::vector<uint32_t>& chain = chain_;
    uint32_t free = chain.back() + 1;
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> change;
    };
    std::vector<Case> cases = {
        {"0 bytes, too short for a boot sector", [](auto& b) { b.clear(); }},
        {"cut short of the 1474560", [](auto& b) { b.resize(100000); }},
        {"loops back to cluster", [&](auto& b) { SetFat12Entry(FatOf(b), chain[1], chain[0]); }},
        {"runs past the end to cluster 4000",
         [&](auto& b) { SetFat12Entry(FatOf(b), chain[0], 4000); }},
        {"0 sectors per cluster", [](auto& b) { b[13] = 0; }},
        {"an entry named \"SP\\x01CE.dat\", which no file can bear",
         [&](auto& b) { EntryOf(b, "SPACE   DAT")[2] = 0x01; }},
        {"claims 4294967295 bytes",
         [&](auto& b) { WriteU32(EntryOf(b, "SPACE   DAT") + EntrySize, 0xFFFFFFFF); }},
        {"the directory \\LOOP\\SELF contains itself",
         [&](auto& b) {
             // \LOOP lists SELF, a directory at LOOP's own cluster.
             uint8_t* loop = EntryOf(b, "SPACE   DAT") + DirectoryEntrySize;
             std::copy_n("LOOP       ", 11, loop);
             loop[EntryAttributes] = AttrDirectory;
             WriteU16(loop + EntryFirstCluster, free);
             SetFat12Entry(FatOf(b), free, 0xFFF);
             uint8_t* self = b.data() + (g.dataSector + free - 2) * g.bytesPerSector;
             std::copy_n("SELF       ", 11, self);
             self[EntryAttributes] = AttrDirectory;
             WriteU16(self + EntryFirstCluster, free);
         }},
    };
    for (const Case& c : cases) {
        WriteHostFile(Host("pkg/disk1.img"), sound);
        Patch("pkg/disk1.img", c.change);
        CommandResult r = Run("list " + Quoted("pkg/disk1.img"));
        EXPECT_EQ(r.exitCode, 2) << c.what;
        EXPECT_NE(r.err.find(Host("pkg/disk1.img").string()), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.what), std::string::npos) << r.err;
    }
}

TEST_F(DiskImages, DamageInsideSoundImagesIsReportedByTestNamingTheImage) {
    ASSERT_NO_FATAL_FAILURE(WriteSoundImage());
    const std::vector<uint8_t>& sound = sound_;
    // A Volume cut short inside a sound image is damage that test reports, as from a folder.
    WriteHostFile(Host("pkg/disk1.img"), sound);
    Patch("pkg/disk1.img", [&](auto& b) { WriteU32(EntryOf(b, "SPACE   DAT") + EntrySize, 1000); });
    CommandResult cut = Run("test " + Quoted("pkg/disk1.img"));
    EXPECT_EQ(cut.exitCode, 2);
    EXPECT_NE(cut.out.find("DAMAGED  SPACE.EXE\n         SPACE.EXE: read error!"),
              std::string::npos)
        << cut.out;
    EXPECT_NE(cut.out.find("the Volume of disk 1, " + Host("pkg/disk1.img").string() +
                           "/SPACE.dat, 1000 bytes)"),
              std::string::npos)
        << cut.out;

    // On a further disk, the damage names that disk's image.
    WriteHostFile(Host("pkg/disk1.img"), sound);
    Patch("pkg/disk2.img", [](auto& b) { b.resize(1000); });
    CommandResult r = Run("test " + Quoted("pkg/disk1.img"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("disk 2: the disk image " + Host("pkg/disk2.img").string() +
                         " cannot be used: the image is 1000 bytes, cut short"),
              std::string::npos)
        << r.out;
}

} // namespace
