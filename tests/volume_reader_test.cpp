// The Volume reader: disk prompts and their order, disk checks, chunked reads, short and
// missing Volumes, and the end of a stream.
#include "base/memory.h"
#include "base/paths.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "tests/support/catalogue_bytes.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// The byte at position p of disk's Volume: differs between disks and along the file.
uint8_t Pattern(uint16_t disk, uint32_t p) {
    return static_cast<uint8_t>(p * 7 + disk * 31 + p / 251);
}

// A Volume of size bytes for disk: its number, then the pattern.
std::vector<uint8_t> VolumeBytes(uint16_t disk, uint32_t size) {
    std::vector<uint8_t> bytes(size);
    for (uint32_t p = 0; p < size; ++p)
        bytes[p] = Pattern(disk, p);
    if (size > 0) bytes[0] = static_cast<uint8_t>(disk);
    if (size > 1) bytes[1] = static_cast<uint8_t>(disk >> 8);
    return bytes;
}

// The stream that pieces of pattern Volumes form.
std::vector<int> Expected(const std::vector<SegmentSpec>& pieces) {
    std::vector<int> out;
    for (const SegmentSpec& s : pieces)
        for (uint32_t p = s.offset; p < s.offset + s.length; ++p)
            out.push_back(Pattern(s.disk, p));
    return out;
}

class VolumeReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        blocksBefore_ = LockedBlocksInUse();
        CopyText(SetupDir, PathSize, box_.Root().c_str());
        CopyText(VolumePath, PathSize, box_.Path("SPACE.dat").c_str());
        CurrentDisk = 1;
        VolumeHandle = PlatformNoFile;
        ProgressWindow = nullptr;
        InputBuffer = static_cast<uint8_t*>(AllocLocked(InputBufferSize, &InputBufferHandle));
        ASSERT_NE(InputBuffer, nullptr);
    }
    void TearDown() override {
        boxes_.OnBox(nullptr);
        CloseVolume();
        FreeLocked(&InputBufferHandle);
        EXPECT_EQ(LockedBlocksInUse(), blocksBefore_);
    }
    // Puts disk's Volume of size bytes into the drive.
    void Insert(uint16_t disk, uint32_t size = 100000) {
        box_.Write(VolumePath, VolumeBytes(disk, size));
    }
    // Starts the stream of a record with these pieces; the record lives as long as the test.
    void Start(const std::vector<SegmentSpec>& pieces, const std::string& name = "SPACE.EXE") {
        records_.push_back(RecordBytes(RecordSpec{name, 0, 0, 0, 0, pieces}));
        StartRecordStream(records_.back().data());
    }
    // Reads up to limit bytes; *end gets the negative result that stopped it (0 at the limit).
    std::vector<int> Read(size_t limit, int* end) {
        std::vector<int> out;
        *end = 0;
        while (out.size() < limit) {
            int b = ReadStoredByte();
            if (b < 0) {
                *end = b;
                break;
            }
            out.push_back(b);
        }
        return out;
    }
    std::string PromptFor(int disk) const {
        char drive = box_.Root()[0];
        if (drive >= 'a' && drive <= 'z') drive = static_cast<char>(drive - 32);
        return "Insert disk " + std::to_string(disk) + " in drive " + std::string(1, drive) + ".";
    }

    Sandbox box_;
    ScriptedBoxes boxes_;
    std::vector<std::vector<uint8_t>> records_;
    int32_t blocksBefore_ = 0;
};

TEST_F(VolumeReaderTest, PiecesOnTheDiskInTheDriveAreReadWithoutPromptsAcrossFiles) {
    Insert(1);
    std::vector<SegmentSpec> first = {{1, 2, 10}, {1, 500, 20}};
    Start(first);
    int end;
    EXPECT_EQ(Read(1000, &end), Expected(first));
    EXPECT_EQ(end, -1);
    EXPECT_EQ(ReadStoredByte(), -1); // and again
    PlatformFile open = VolumeHandle;
    ASSERT_NE(open, PlatformNoFile);

    // The next file starts on the same disk: the open Volume serves it with a seek.
    std::vector<SegmentSpec> second = {{1, 100, 5}};
    Start(second, "README.TXT");
    EXPECT_EQ(Read(1000, &end), Expected(second));
    EXPECT_EQ(VolumeHandle, open);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(VolumeReaderTest, EndEntriesEndTheStreamAtOnce) {
    Insert(1);
    Start({{0, 2, 10}});
    EXPECT_EQ(ReadStoredByte(), -1);
    Start({{1, 2, 0}, {1, 2, 10}});
    EXPECT_EQ(ReadStoredByte(), -1);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(VolumeReaderTest, DiskChangePromptsBeforeReopeningEvenWhenTheRightDiskIsIn) {
    // Disk 2 is already in the drive; the reader believes disk 1 is.
    Insert(2);
    bool volumeOpenAtPrompt = true;
    boxes_.OnBox([&](const RecordedBox&) { volumeOpenAtPrompt = VolumeHandle != PlatformNoFile; });
    boxes_.Answer(AnswerOk);
    std::vector<SegmentSpec> pieces = {{2, 40, 30}};
    Start(pieces);
    int end;
    EXPECT_EQ(Read(1000, &end), Expected(pieces));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, PromptFor(2));
    EXPECT_EQ(boxes_.Boxes()[0].type, BoxOkCancel | BoxIconWarning);
    EXPECT_EQ(boxes_.Boxes()[0].caption, std::string(SetupCaption));
    EXPECT_FALSE(volumeOpenAtPrompt);
    EXPECT_EQ(CurrentDisk, 2);
}

TEST_F(VolumeReaderTest, SecondPieceOnAnotherDiskClosesTheVolumeThenPromptsThenChecks) {
    Insert(1);
    std::vector<std::string> events;
    boxes_.OnBox([&](const RecordedBox& box) {
        events.push_back(VolumeHandle == PlatformNoFile ? "prompt, volume closed"
                                                        : "prompt, volume open");
        if (box.text == PromptFor(2)) Insert(2); // the user swaps disks while the box is up
    });
    boxes_.Answer(AnswerOk);
    std::vector<SegmentSpec> pieces = {{1, 99990, 10}, {2, 2, 20}};
    Start(pieces);
    int end;
    EXPECT_EQ(Read(1000, &end), Expected(pieces));
    EXPECT_EQ(end, -1);
    EXPECT_EQ(events, std::vector<std::string>{"prompt, volume closed"});
    EXPECT_EQ(boxes_.Unexpected(), 0);
}

TEST_F(VolumeReaderTest, OldDiskStillInTheDriveBringsTheSamePromptAgain) {
    Insert(1);
    int prompts = 0;
    boxes_.OnBox([&](const RecordedBox&) {
        if (++prompts == 3) Insert(2); // only at the third prompt is the right disk put in
    });
    boxes_.Answer(AnswerOk);
    boxes_.Answer(AnswerOk);
    boxes_.Answer(AnswerOk);
    std::vector<SegmentSpec> pieces = {{1, 2, 3}, {2, 2, 3}};
    Start(pieces);
    int end;
    EXPECT_EQ(Read(1000, &end), Expected(pieces));
    ASSERT_EQ(boxes_.Boxes().size(), 3u);
    for (const RecordedBox& box : boxes_.Boxes())
        EXPECT_EQ(box.text, PromptFor(2));
}

TEST_F(VolumeReaderTest, CancelAtEitherPromptFailsTheStream) {
    Insert(1);
    // At the disk change: CurrentDisk is the disk asked for and no Volume is open.
    boxes_.Answer(AnswerCancel);
    Start({{1, 2, 3}, {2, 2, 3}});
    int end;
    EXPECT_EQ(Read(1000, &end).size(), 3u);
    EXPECT_EQ(end, -2);
    EXPECT_EQ(CurrentDisk, 2);
    EXPECT_EQ(VolumeHandle, PlatformNoFile);

    // At the repeated prompt with the wrong disk in the drive.
    CurrentDisk = 1;
    boxes_.Answer(AnswerOk);
    boxes_.Answer(AnswerCancel);
    Start({{2, 2, 3}});
    EXPECT_EQ(ReadStoredByte(), -2);
    EXPECT_EQ(boxes_.Boxes().size(), 3u);
    EXPECT_EQ(VolumeHandle, PlatformNoFile);
    EXPECT_EQ(boxes_.Unexpected(), 0);
}

TEST_F(VolumeReaderTest, VolumeTooShortForItsDiskNumberCountsAsTheWrongDisk) {
    box_.Write(VolumePath, std::vector<uint8_t>{1});
    boxes_.OnBox([&](const RecordedBox&) { Insert(1); });
    boxes_.Answer(AnswerOk);
    std::vector<SegmentSpec> pieces = {{1, 2, 4}};
    Start(pieces);
    int end;
    EXPECT_EQ(Read(1000, &end), Expected(pieces));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, PromptFor(1));
}

TEST_F(VolumeReaderTest, MissingVolumeAsksRetryOrCancelNamingTheVolume) {
    boxes_.OnBox([&](const RecordedBox&) { Insert(1); });
    boxes_.Answer(AnswerRetry);
    std::vector<SegmentSpec> pieces = {{1, 2, 4}};
    Start(pieces);
    int end;
    EXPECT_EQ(Read(1000, &end), Expected(pieces));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, std::string(VolumePath) + ": read error!");
    EXPECT_EQ(boxes_.Boxes()[0].type & 0x0F, BoxRetryCancel);
}

TEST_F(VolumeReaderTest, PieceOfExactlyOneChunkIsOneRead) {
    Insert(1, 40000);
    std::vector<SegmentSpec> pieces = {{1, 2, InputBufferSize}};
    Start(pieces);
    ASSERT_GE(ReadStoredByte(), 0);
    EXPECT_EQ(InputCount, int32_t(InputBufferSize) - 1);
    EXPECT_EQ(SegmentLeft, 0u);
    EXPECT_EQ(PlatformSeek(VolumeHandle, 0, SeekFromCurrent), int32_t(2 + InputBufferSize));
    int end;
    std::vector<int> rest = Read(100000, &end);
    EXPECT_EQ(rest.size(), InputBufferSize - 1);
    EXPECT_EQ(end, -1);
}

TEST_F(VolumeReaderTest, LongerPieceIsReadInChunksWithoutFurtherSeeks) {
    const uint32_t length = 2 * InputBufferSize + 123;
    Insert(1, 2 + length + InputBufferSize);
    std::vector<SegmentSpec> pieces = {{1, 2, length}};
    std::vector<int> expected = Expected(pieces);
    Start(pieces);
    int end;
    std::vector<int> first = Read(InputBufferSize, &end);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), expected.begin()));
    EXPECT_EQ(InputCount, 0);
    EXPECT_EQ(SegmentLeft, length - InputBufferSize);
    // Move the Volume's position by hand: a reader that continues where its last chunk ended
    // reads from here; one that seeks again reads the right bytes.
    ASSERT_EQ(PlatformSeek(VolumeHandle, 2 + length, SeekFromStart), int32_t(2 + length));
    EXPECT_EQ(ReadStoredByte(), Pattern(1, 2 + length));
    EXPECT_EQ(InputCount, int32_t(InputBufferSize) - 1);

    // Read again properly: chunk sizes 32000, 32000, 123 and the whole piece.
    Start(pieces);
    std::vector<int> all = Read(length + 10, &end);
    EXPECT_EQ(all, expected);
    EXPECT_EQ(end, -1);
    EXPECT_EQ(PlatformSeek(VolumeHandle, 0, SeekFromCurrent), int32_t(2 + length));
}

TEST_F(VolumeReaderTest, VolumeEndingInsideAChunkFailsNamingTheRecord) {
    Insert(1, 2 + 50);
    Start({{1, 2, 100}}, "GAME\\DATA.PAK");
    EXPECT_EQ(ReadStoredByte(), -2);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "GAME\\DATA.PAK: read error!");
    EXPECT_EQ(boxes_.Boxes()[0].type & 0x0F, BoxOk);
}

TEST_F(VolumeReaderTest, VolumeEndingOnAChunkBoundaryEndsTheStreamSilently) {
    Insert(1, 2 + InputBufferSize);
    Start({{1, 2, InputBufferSize + 500}});
    int end;
    EXPECT_EQ(Read(100000, &end).size(), InputBufferSize);
    EXPECT_EQ(end, -1);
    EXPECT_EQ(ReadStoredByte(), -1);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(VolumeReaderTest, PieceBeyondWhatASeekReachesIsAReadErrorNeverOtherBytes) {
    Insert(1);
    Start({{1, 0x80000000u, 10}}, "FAR.DAT");
    boxes_.Answer(AnswerRetry);
    boxes_.Answer(AnswerCancel);
    EXPECT_EQ(ReadStoredByte(), -2);
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "FAR.DAT: read error!");
    EXPECT_EQ(boxes_.Boxes()[0].type, 0x35u);
}

TEST_F(VolumeReaderTest, VolumePathThatDoesNotFitIsNamedByTheVolumeNotCut) {
    CatalogueHeader saved = Header;
    std::memset(&Header, 0, sizeof Header);
    std::strcpy(Header.ProgramName, "LANDER.EXE");
    std::string longDir = "C:\\" + std::string(250, 'D') + "\\";
    CopyText(SetupDir, PathSize, longDir.c_str());
    FreeLocked(&InputBufferHandle);
    ASSERT_EQ(PrepareVolumeReader(), StatusOk);
    EXPECT_STREQ(VolumePath, "LANDER.dat");
    EXPECT_EQ(CurrentDisk, 1);
    Start({{1, 2, 10}});
    boxes_.Answer(AnswerCancel);
    EXPECT_EQ(ReadStoredByte(), -2);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "LANDER.dat: read error!");
    EXPECT_EQ(boxes_.Boxes()[0].type, 0x35u);
    // A path that fits is SetupDir and the Volume's name.
    ReleaseVolumeReader();
    CopyText(SetupDir, PathSize, "A:\\");
    ASSERT_EQ(PrepareVolumeReader(), StatusOk);
    EXPECT_STREQ(VolumePath, "A:\\LANDER.dat");
    Header = saved;
}

TEST_F(VolumeReaderTest, SizeOfAStreamOfThreeBytesIsAFailure) {
    const uint8_t three[3] = {1, 2, 3};
    uint32_t size = 0xDEADBEEF;
    StartMemoryStream(three, 3);
    EXPECT_EQ(ReadStoredSize(&size), -2);
    EXPECT_EQ(size, 0xDEADBEEFu);

    Insert(1);
    Start({{1, 2, 3}});
    EXPECT_EQ(ReadStoredSize(&size), -2);
    EXPECT_EQ(size, 0xDEADBEEFu);

    // Four bytes across two pieces make the size, first byte lowest.
    Start({{1, 10, 1}, {1, 20, 3}});
    ASSERT_EQ(ReadStoredSize(&size), 0);
    EXPECT_EQ(size, uint32_t(Pattern(1, 10)) | uint32_t(Pattern(1, 20)) << 8 |
                        uint32_t(Pattern(1, 21)) << 16 | uint32_t(Pattern(1, 22)) << 24);
}

TEST_F(VolumeReaderTest, PromptNamesTheSetupDriveInUpperCaseOrABackslashForUnc) {
    CurrentDisk = 3;
    CopyText(SetupDir, PathSize, "a:\\");
    boxes_.Answer(AnswerOk);
    EXPECT_EQ(PromptForDisk(nullptr), 0);
    CopyText(SetupDir, PathSize, "\\\\server\\share\\setup\\");
    boxes_.Answer(AnswerCancel);
    EXPECT_EQ(PromptForDisk(nullptr), 1);
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Insert disk 3 in drive A.");
    EXPECT_EQ(boxes_.Boxes()[1].text, "Insert disk 3 in drive \\.");
}

// A hook answers the prompt instead of a box; asked again for the same disk, it learns which
// disk the Volume found there holds.
TEST_F(VolumeReaderTest, DiskPromptHookLearnsTheDiskTheWrongVolumeHolds) {
    static std::vector<std::pair<int, int>> asked;
    asked.clear();
    SetDiskPromptHook([](uint16_t disk, const Problem* wrongVolume) -> int {
        asked.push_back({disk, wrongVolume ? wrongVolume->diskFound : -1});
        return asked.size() < 2 ? AnswerOk : AnswerCancel;
    });
    Insert(3);
    Start({{2, 2, 5}});
    int end;
    Read(5, &end);
    SetDiskPromptHook(nullptr);
    EXPECT_EQ(end, -2);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, -1}, {2, 3}}));
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(LastProblem.fault, ProblemFault::VolumeOfOtherDisk);
    EXPECT_EQ(LastProblem.diskWanted, 2);
}

} // namespace
