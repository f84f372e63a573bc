// The transfer: counting, the passes, progress, halts, the disk-1 prompt and the uninstaller's
// data file.
#include "install/target_file.h"
#include "install/transfer.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "tests/support/open_files.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"
#include "tests/support/transfer_fixture.h"
#include "tests/support/transfer_screen_recorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>

namespace {

class Transfer : public TransferFixture {
  protected:
    std::vector<uint8_t> Catalogue() { return box_.Read(box_.Path("pkg\\disk1\\SETUP.bin")); }
    // The transfer, which must give back its Volume, the reader's buffer and every file it
    // opened on whatever path it ends once the passes have run: only the catalogue stays
    // loaded. Before the passes (nothing to transfer, no progress dialog) it touches neither,
    // and the install sequence releases the buffer.
    StatusCode Run(bool passes = true) {
        ReleaseCheck held(passes ? 1 : 0);
        StatusCode status = RunTransfer();
        held.ExpectReleased();
        if (passes) {
            EXPECT_EQ(InputBuffer, nullptr);
        }
        EXPECT_EQ(VolumeHandle, PlatformNoFile);
        return status;
    }
};

TEST_F(Transfer, ThreeFilesShowZeroThirtyThreeSixtySixHundred) {
    Load({.files = {{.name = "A", .bytes = PatternBytes(10)},
                    {.name = "SKIPPED", .bytes = PatternBytes(5), .flags = FlagNotInstalled},
                    {.name = "B", .bytes = PatternBytes(20)},
                    {.name = "C", .bytes = PatternBytes(30)}}});
    ScriptedBoxes boxes;
    EXPECT_EQ(Run(), StatusOk);
    EXPECT_EQ(TransferScreen().percents, std::vector<int>({0, 33, 66, 100}));
    EXPECT_EQ(TransferScreen().names, std::vector<std::string>({"A", "B", "C"}));
    EXPECT_EQ(TransferScreen().begins, 1);
    EXPECT_EQ(TransferScreen().ends, 1);
    EXPECT_FALSE(box_.Exists(dest_ + "SKIPPED"));
    EXPECT_EQ(box_.Read(dest_ + "C"), PatternBytes(30));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Transfer, NothingToTransferShowsNothing) {
    Load({.files = {{.name = "A", .bytes = PatternBytes(10), .flags = FlagNotInstalled}}});
    EXPECT_EQ(Run(false), StatusOk);
    EXPECT_EQ(TransferScreen().begins, 0);
    TransferScreen().refuseBegin = true;
    EXPECT_EQ(Run(false), StatusOk);
}

TEST_F(Transfer, DisplayThatCannotBeCreatedGives32) {
    Load({.files = {{.name = "A", .bytes = PatternBytes(10)}}});
    TransferScreen().refuseBegin = true;
    EXPECT_EQ(Run(false), MsgWindowProblem);
    EXPECT_FALSE(box_.Exists(dest_ + "A"));
}

TEST_F(Transfer, UninstallerGetsTheCatalogueAsDataFileAndEndsInExe) {
    Load({.files = {{.name = "uninstal.exe", .bytes = PatternBytes(40)},
                    {.name = "A", .bytes = PatternBytes(4)}}});
    ScriptedBoxes boxes;
    EXPECT_EQ(Run(), StatusOk);
    EXPECT_STREQ(UninstallerName, "uninstal.exe");
    EXPECT_EQ(box_.Read(dest_ + "uninstal.bin"), Catalogue());
    EXPECT_EQ(TransferScreen().names.back(), "uninstal.bin");
    EXPECT_TRUE(boxes.Boxes().empty()); // one disk: no prompt for disk 1
}

TEST_F(Transfer, HaltBetweenFilesStopsButStillWritesTheDataFile) {
    Load({.files = {{.name = "uninstal.exe", .bytes = PatternBytes(40)},
                    {.name = "A", .bytes = PatternBytes(4)},
                    {.name = "B", .bytes = PatternBytes(4)}}});
    // Pass 1 pumps before each of the three records, pass 2 again: the fifth pump comes
    // before A, after the uninstaller was placed.
    TransferScreen().haltAtPump = 5;
    ScriptedBoxes boxes;
    EXPECT_EQ(Run(), StatusCancelled);
    EXPECT_TRUE(box_.Exists(dest_ + "uninstal.exe"));
    EXPECT_FALSE(box_.Exists(dest_ + "A"));
    EXPECT_FALSE(box_.Exists(dest_ + "B"));
    EXPECT_EQ(box_.Read(dest_ + "uninstal.bin"), Catalogue());
    EXPECT_STREQ(UninstallerName, "uninstal.exe");
    EXPECT_EQ(TransferScreen().percents, std::vector<int>({0, 33}));
}

TEST_F(Transfer, HaltDuringTheFirstPassSkipsTheSecond) {
    Load({.files = {{.name = "uninstal.exe", .bytes = PatternBytes(40)},
                    {.name = "A", .bytes = PatternBytes(4)}}});
    TransferScreen().haltAtPump = 2;
    EXPECT_EQ(Run(), StatusCancelled);
    EXPECT_FALSE(box_.Exists(dest_ + "uninstal.exe"));
    EXPECT_FALSE(box_.Exists(dest_ + "uninstal.bin"));
    EXPECT_EQ(UninstallerName[0], '\0');
    EXPECT_EQ(TransferScreen().ends, 1);
}

TEST_F(Transfer, FailedPlacementStopsThePassesButStillWritesTheDataFile) {
    Load({.files = {{.name = "uninstal.exe", .bytes = PatternBytes(40)},
                    {.name = "A", .bytes = PatternBytes(4)},
                    {.name = "B", .bytes = PatternBytes(4)}}});
    box_.MakeDirectory(dest_ + "A"); // a directory in the way: A cannot be created
    ScriptedBoxes boxes({AnswerCancel});
    EXPECT_EQ(Run(), StatusCancelled);
    EXPECT_FALSE(box_.Exists(dest_ + "B"));
    EXPECT_EQ(box_.Read(dest_ + "uninstal.bin"), Catalogue());
    EXPECT_STREQ(UninstallerName, "uninstal.exe");
    EXPECT_EQ(TransferScreen().percents, std::vector<int>({0, 33, 66}));
}

TEST_F(Transfer, LastPieceFromDiskThreeBringsDiskOneBackForTheDataFile) {
    Load({.files = {{.name = "uninstal.exe", .bytes = PatternBytes(40)},
                    {.name = "A", .bytes = PatternBytes(5000), .disk = 2},
                    {.name = "B", .bytes = PatternBytes(3000), .disk = 3}}});
    ScriptedBoxes boxes({AnswerOk, AnswerOk, AnswerOk});
    boxes.OnBox(SwapDiskOnPrompt);
    EXPECT_EQ(Run(), StatusOk);
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].text.rfind("Insert disk 2 in drive", 0), 0u);
    EXPECT_EQ(boxes.Boxes()[1].text.rfind("Insert disk 3 in drive", 0), 0u);
    EXPECT_EQ(boxes.Boxes()[2].text.rfind("Insert disk 1 in drive", 0), 0u);
    EXPECT_EQ(box_.Read(dest_ + "B"), PatternBytes(3000));
    EXPECT_EQ(box_.Read(dest_ + "uninstal.bin"), Catalogue());
    EXPECT_EQ(CurrentDisk, 1);
}

TEST_F(Transfer, CancelledDiskOnePromptSkipsTheDataFileOnly) {
    Load({.files = {{.name = "uninstal.exe", .bytes = PatternBytes(40)},
                    {.name = "B", .bytes = PatternBytes(3000), .disk = 2}}});
    ScriptedBoxes boxes({AnswerOk, AnswerCancel});
    boxes.OnBox(SwapDiskOnPrompt);
    EXPECT_EQ(Run(), StatusOk);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_TRUE(box_.Exists(dest_ + "B"));
    EXPECT_FALSE(box_.Exists(dest_ + "uninstal.bin"));
    EXPECT_STREQ(UninstallerName, "uninstal.exe");
}

// An installed copy of a file whose stream spans two disks stays byte for byte whichever way
// its replacement stops inside the file; the fixture checks that no temporary is left.
TEST_F(Transfer, InstalledCopySurvivesEveryStopInsideASpanningFile) {
    Load({.files = {{.name = "LIB.DLL", .bytes = PatternBytes(90000, 4), .spanDisk = 2}}});
    const std::string drive = box_.Path("pkg\\drive\\PROG.dat");
    std::vector<uint8_t> cut = box_.Read(box_.Path("pkg\\disk2\\PROG.dat"));
    cut.resize(cut.size() / 2);
    struct Stop {
        const char* how;
        std::deque<int> answers;
        std::function<void()> atDiskPrompt;
    };
    const Stop stops[] = {
        {"Cancel at the disk prompt", {AnswerCancel}, [] {}},
        {"read error, Cancel",
         {AnswerOk, AnswerCancel},
         [&] { std::remove(Sandbox::Host(drive).c_str()); }},
        {"damaged stream", {AnswerOk, AnswerOk}, [&] { box_.Write(drive, cut); }},
    };
    for (const Stop& stop : stops) {
        box_.Write(dest_ + "LIB.DLL", std::string("installed copy"));
        ScriptedBoxes boxes(stop.answers);
        boxes.OnBox([&](const RecordedBox& box) {
            if (box.text.rfind("Insert disk 2", 0) == 0) stop.atDiskPrompt();
        });
        EXPECT_EQ(Run(), StatusCancelled) << stop.how;
        EXPECT_EQ(boxes.Boxes().size(), stop.answers.size()) << stop.how;
        EXPECT_EQ(Text(box_.Read(dest_ + "LIB.DLL")), "installed copy") << stop.how;
        ExpectNoTemporaryLeft(box_);
        InsertTestDisk(1);
        ASSERT_EQ(PrepareVolumeReader(), StatusOk);
    }
    ScriptedBoxes boxes({AnswerOk});
    boxes.OnBox(SwapDiskOnPrompt);
    EXPECT_EQ(Run(), StatusOk);
    EXPECT_EQ(box_.Read(dest_ + "LIB.DLL"), PatternBytes(90000, 4));
}

TEST(TransferPercent, TruncatesInUnsigned32BitArithmetic) {
    EXPECT_EQ(TransferPercent(1, 3), 33);
    EXPECT_EQ(TransferPercent(2, 3), 66);
    EXPECT_EQ(TransferPercent(3, 3), 100);
    EXPECT_EQ(TransferPercent(199, 200), 99);
}

TEST(TransferBytePercent, CountsTheBytesOfTheFileBeingExpanded) {
    // A 900 KB file among six files: half of it written is 45 %, not one file in six.
    TransferTally = TransferCounts{};
    TransferTally.toTransfer = 6;
    TransferTally.bytesToTransfer = 1000 * 1024;
    TransferTally.bytesDone = 50 * 1024;
    TransferTally.bytesOfCurrent = 900 * 1024;
    EXPECT_EQ(TransferBytePercent(400 * 1024), 45);
    // More bytes than the catalogue says stop at the file's own share.
    EXPECT_EQ(TransferBytePercent(5000 * 1024), 95);
    TransferTally = TransferCounts{};
    EXPECT_EQ(TransferBytePercent(0), 100);
}

} // namespace
