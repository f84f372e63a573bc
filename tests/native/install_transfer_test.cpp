// Placement and transfer on the POSIX platform: shared files against installed copies with
// real version resources, drive-rooted names, and injected faults answered every way, each
// checked byte for byte on disk.
#include "base/paths.h"
#include "install/placement.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"
#include "tests/support/pe_image.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"
#include "tests/support/transfer_fixture.h"
#include "tests/support/transfer_screen_recorder.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t V(uint32_t major, uint32_t minor) {
    return major << 16 | minor;
}

std::vector<uint8_t> Dll(uint32_t ms, uint32_t ls = 0) {
    PeImageOptions options;
    options.versionMs = ms;
    options.versionLs = ls;
    return BuildPeImage(options);
}

class NativeTransfer : public TransferFixture {
  protected:
    void SetUp() override {
        TransferFixture::SetUp();
        PosixSetSystemDirectory("C:\\WINDOWS\\SYSTEM");
        box_.MakeDirectory(system_);
    }
    // A package of one shared library of version ms.ls (its bytes a PE image saying so) and
    // one ordinary file.
    void LoadShared(uint32_t ms, uint32_t ls = 0, const std::string& name = "LIB.DLL") {
        Load(
            {.files = {
                 {.name = name, .bytes = Dll(ms, ls), .flags = 2, .versionMs = ms, .versionLs = ls},
                 {.name = "APP.EXE", .bytes = PatternBytes(100)}}});
    }
    std::string system_ = "C:\\WINDOWS\\SYSTEM\\";
};

TEST_F(NativeTransfer, SharedFileWithoutInstalledCopyGoesToTheSystemDirectory) {
    LoadShared(V(2, 0));
    ScriptedBoxes boxes;
    EXPECT_EQ(RunTransfer(), StatusOk);
    EXPECT_EQ(box_.Read(system_ + "LIB.DLL"), Dll(V(2, 0)));
    EXPECT_FALSE(box_.Exists(dest_ + "LIB.DLL"));
    EXPECT_EQ(box_.Read(dest_ + "APP.EXE"), PatternBytes(100));
    EXPECT_EQ(TransferScreen().percents, std::vector<int>({0, 50, 100}));
}

TEST_F(NativeTransfer, NewerInstalledCopyIsKeptEqualAndOlderAreReplaced) {
    struct Case {
        uint32_t installedMs, installedLs;
        bool replaced;
    };
    for (Case c : {Case{V(3, 0), 0, false}, Case{V(2, 0), 5, false}, Case{V(2, 0), 4, true},
                   Case{V(2, 0), 3, true}, Case{V(1, 9), 9, true}}) {
        ResetTransferScreen();
        LoadShared(V(2, 0), 4);
        std::vector<uint8_t> installed = Dll(c.installedMs, c.installedLs);
        installed.push_back(0xEE); // tells the installed copy from the record's bytes
        box_.Write(system_ + "lib.dll", installed);
        ScriptedBoxes boxes;
        EXPECT_EQ(RunTransfer(), StatusOk);
        EXPECT_EQ(box_.Read(system_ + "lib.dll"), c.replaced ? Dll(V(2, 0), 4) : installed)
            << std::hex << c.installedMs << "." << c.installedLs;
        EXPECT_EQ(TransferTally.sharedSkipped, c.replaced ? 0u : 1u);
        EXPECT_EQ(TransferScreen().percents, std::vector<int>({0, 50, 100}));
        ReleaseVolumeReader();
        ReleaseCatalogue();
    }
}

TEST_F(NativeTransfer, CopyWithoutVersionResourceIsReplaced) {
    LoadShared(V(1, 0));
    box_.Write(system_ + "LIB.DLL", std::string("no version here"));
    ScriptedBoxes boxes;
    EXPECT_EQ(RunTransfer(), StatusOk);
    EXPECT_EQ(box_.Read(system_ + "LIB.DLL"), Dll(V(1, 0)));
}

TEST_F(NativeTransfer, CopyInUseAsksRetryThenCancelStopsEverything) {
    LoadShared(V(2, 0));
    box_.Write(system_ + "LIB.DLL", Dll(V(1, 0)));
    PosixSetFileInUse((system_ + "LIB.DLL").c_str(), true);
    ScriptedBoxes boxes({AnswerRetry, AnswerCancel});
    EXPECT_EQ(RunTransfer(), StatusCancelled);
    PosixSetFileInUse((system_ + "LIB.DLL").c_str(), false);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "LIB.DLL in use! Please, close all applications and retry.");
    EXPECT_EQ(boxes.Boxes()[0].type & 0x0F, BoxRetryCancel);
    EXPECT_EQ(box_.Read(system_ + "LIB.DLL"), Dll(V(1, 0)));
    EXPECT_FALSE(box_.Exists(dest_ + "APP.EXE"));
}

TEST_F(NativeTransfer, CopyInUseThenClosedIsReplacedOnRetry) {
    LoadShared(V(2, 0));
    std::string path = system_ + "LIB.DLL";
    box_.Write(path, Dll(V(1, 0)));
    PosixSetFileInUse(path.c_str(), true);
    ScriptedBoxes boxes({AnswerRetry});
    boxes.OnBox([&](const RecordedBox&) { PosixSetFileInUse(path.c_str(), false); });
    EXPECT_EQ(RunTransfer(), StatusOk);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(box_.Read(path), Dll(V(2, 0)));
}

// In use, but the current copy is not in the destination: no question, placed in the
// recommended directory.
TEST_F(NativeTransfer, CopyInUseOutsideTheDestinationRaisesNoQuestion) {
    LoadShared(V(2, 0));
    box_.Write(dest_ + "LIB.DLL", Dll(V(1, 0)));
    PosixSetFileInUse((dest_ + "LIB.DLL").c_str(), true);
    ScriptedBoxes boxes;
    EXPECT_EQ(RunTransfer(), StatusOk);
    PosixSetFileInUse((dest_ + "LIB.DLL").c_str(), false);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(box_.Read(system_ + "LIB.DLL"), Dll(V(2, 0)));
    EXPECT_EQ(box_.Read(dest_ + "LIB.DLL"), Dll(V(1, 0)));
}

TEST_F(NativeTransfer, DvaDriverIsQueriedButNeverPlaced) {
    LoadShared(V(2, 0), 0, "DVA.386");
    ScriptedBoxes boxes;
    EXPECT_EQ(RunTransfer(), StatusOk);
    EXPECT_FALSE(box_.Exists(system_ + "DVA.386"));
    EXPECT_FALSE(box_.Exists(dest_ + "DVA.386"));
    EXPECT_EQ(TransferScreen().names[0], "DVA.386");
    EXPECT_EQ(TransferScreen().percents, std::vector<int>({0, 50, 100}));
}

// A rooted name, or one with a drive letter (with or without a backslash after the colon), lies
// below the destination's root: its drive, or its UNC share; never below a current directory.
TEST_F(NativeTransfer, RootedAndDriveNamesKeepOnlyTheDestinationsRoot) {
    Load({.files = {{.name = "\\TOOLS\\X.EXE", .bytes = PatternBytes(7)},
                    {.name = "Z:\\TOOLS\\Y.EXE", .bytes = PatternBytes(8)},
                    {.name = "Z:DRV.EXE", .bytes = PatternBytes(6)},
                    {.name = "\\uninstal.exe", .bytes = PatternBytes(9)}}});
    {
        ScriptedBoxes boxes({AnswerCancel});
        EXPECT_EQ(PlaceFile(FirstRecord(), "\\\\SRV\\SHARE\\APP\\"), StatusCancelled);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "\\\\SRV\\SHARE\\TOOLS\\X.EXE: write error!");
        EXPECT_FALSE(box_.Exists("T:\\TOOLS"));
    }
    ScriptedBoxes boxes;
    EXPECT_EQ(RunTransfer(), StatusOk);
    EXPECT_EQ(box_.Read("T:\\TOOLS\\X.EXE"), PatternBytes(7));
    EXPECT_EQ(box_.Read("T:\\TOOLS\\Y.EXE"), PatternBytes(8));
    EXPECT_EQ(box_.Read("T:\\DRV.EXE"), PatternBytes(6));
    EXPECT_EQ(box_.Read("T:\\uninstal.exe"), PatternBytes(9));
    EXPECT_EQ(UninstallerName[0], '\0');
    EXPECT_TRUE(boxes.Boxes().empty());
}

// ---- faults ----------------------------------------------------------------------------

class Faults : public NativeTransfer {
  protected:
    StatusCode PlaceFirst() { return PlaceFile(FirstRecord(), dest_.c_str()); }
};

TEST_F(Faults, FailedCreateOfNewFileRetriedThenCancelled) {
    Load({.files = {{.name = "A.BIN", .bytes = PatternBytes(50000)}}});
    {
        PosixFaultPlan().failCreateAfter = 0;
        ScriptedBoxes boxes({AnswerRetry});
        EXPECT_EQ(PlaceFirst(), StatusOk);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(box_.Read(dest_ + "A.BIN"), PatternBytes(50000));
    }
    std::remove(Sandbox::Host(dest_ + "A.BIN").c_str());
    PosixFaultPlan().failCreateAfter = 0;
    ScriptedBoxes boxes({AnswerCancel});
    EXPECT_EQ(PlaceFirst(), StatusCancelled);
    EXPECT_FALSE(box_.Exists(dest_ + "A.BIN"));
}

// An existing file that cannot be re-created, or whose replacement by the complete new file fails
// (one in use): each answer to "cannot replace" (MsgWriteProtected). Retry tries again, Ignore
// keeps the installed copy, Abort stops; the fixture checks that no temporary is left.
TEST_F(Faults, ExistingFileThatCannotBeReplacedAnsweredEachWay) {
    Load({.files = {{.name = "A.BIN", .bytes = PatternBytes(900)}}});
    struct Case {
        int answer;
        StatusCode result;
        bool replaced;
    };
    for (bool atReplace : {false, true}) {
        for (Case c : {Case{AnswerRetry, 0, true}, Case{AnswerIgnore, 0, false},
                       Case{AnswerAbort, 2, false}}) {
            box_.Write(dest_ + "A.BIN", std::string("previous"));
            (atReplace ? PosixFaultPlan().failReplaceAfter : PosixFaultPlan().failCreateAfter) = 0;
            ScriptedBoxes boxes({c.answer});
            EXPECT_EQ(PlaceFirst(), c.result) << c.answer << atReplace;
            ASSERT_EQ(boxes.Boxes().size(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].text,
                      dest_ +
                          "A.BIN: Setup cannot replace this file because it is write protected.");
            EXPECT_EQ(box_.Read(dest_ + "A.BIN").size(), c.replaced ? 900u : 8u) << c.answer;
        }
    }
}

// Retry looks at the target again: once the user has deleted the file in the way, the
// installation goes on.
TEST_F(Faults, RetryAfterTheBlockingFileIsDeletedCreatesTheFile) {
    Load({.files = {{.name = "A.BIN", .bytes = PatternBytes(900)}}});
    box_.Write(dest_ + "A.BIN", std::string("locked"));
    box_.SetReadOnly(dest_ + "A.BIN", true);
    ScriptedBoxes boxes({AnswerRetry});
    boxes.OnBox([&](const RecordedBox&) {
        box_.SetReadOnly(dest_ + "A.BIN", false);
        std::remove(Sandbox::Host(dest_ + "A.BIN").c_str());
    });
    EXPECT_EQ(PlaceFirst(), StatusOk);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(box_.Read(dest_ + "A.BIN"), PatternBytes(900));
}

TEST_F(Faults, FailedDirectoryCreationIsAWriteError) {
    Load({.files = {{.name = "SUB\\A.BIN", .bytes = PatternBytes(5)}}});
    PosixFaultPlan().failMakeDirectoryAfter = 0;
    ScriptedBoxes boxes({AnswerRetry});
    EXPECT_EQ(PlaceFirst(), StatusOk);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, dest_ + "SUB\\A.BIN: write error!");
    EXPECT_EQ(box_.Read(dest_ + "SUB\\A.BIN"), PatternBytes(5));
}

TEST_F(Faults, NoMemoryForTheOutputBufferTouchesNoFile) {
    Load({.files = {{.name = "A.BIN", .bytes = PatternBytes(5)}}});
    box_.Write(dest_ + "A.BIN", std::string("keep"));
    PosixFaultPlan().failAllocAfter = 0;
    ScriptedBoxes boxes;
    EXPECT_EQ(PlaceFirst(), MsgNoMemory);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(box_.Read(dest_ + "A.BIN").size(), 4u);
}

TEST_F(Faults, DiskFullDuringExpansionRetriedGivesTheExactFile) {
    Load({.files = {{.name = "A.BIN", .bytes = PatternBytes(70000)}}});
    PosixFaultPlan().shortWriteAfter = 1;
    PosixFaultPlan().shortWriteBytes = 1000;
    ScriptedBoxes boxes({AnswerRetry});
    EXPECT_EQ(PlaceFirst(), StatusOk);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(box_.Read(dest_ + "A.BIN"), PatternBytes(70000));
}

// A write that fails inside the file, answered Cancel: the installed copy stays as it was (the
// fixture checks that no temporary is left).
TEST_F(Faults, WriteErrorsCancelledKeepTheInstalledCopy) {
    Load({.files = {{.name = "A.BIN", .bytes = PatternBytes(70000)}}});
    for (int fault = 0; fault < 2; ++fault) {
        box_.Write(dest_ + "A.BIN", std::string("installed"));
        if (fault == 0) {
            PosixFaultPlan().shortWriteAfter = 1;
            PosixFaultPlan().shortWriteBytes = 1000;
        }
        if (fault == 1) PosixFaultPlan().failWriteAfter = 1;
        ScriptedBoxes boxes({AnswerCancel});
        EXPECT_EQ(PlaceFirst(), StatusCancelled) << fault;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << fault;
        EXPECT_EQ(boxes.Boxes()[0].text, fault == 0 ? "Disk full!" : dest_ + "A.BIN: write error!");
        EXPECT_EQ(Text(box_.Read(dest_ + "A.BIN")), "installed") << fault;
    }
}

// A Volume read that fails part-way and is retried starts again where it began: for the disk
// number as for a chunk of the stream.
TEST_F(Faults, RetriedVolumeReadStartsAgainWhereItBegan) {
    Load({.files = {{.name = "A.BIN", .bytes = PatternBytes(70000)}}});
    for (int32_t read : {0, 1}) { // the disk number, then the first chunk
        CloseVolume();
        PosixFaultPlan().failReadAfter = read;
        PosixFaultPlan().failReadConsumes = 1;
        ScriptedBoxes boxes({AnswerRetry});
        EXPECT_EQ(PlaceFirst(), StatusOk) << read;
        EXPECT_EQ(boxes.Boxes().size(), 1u) << read;
        EXPECT_EQ(box_.Read(dest_ + "A.BIN"), PatternBytes(70000)) << read;
    }
}

// What a signal handler deletes is the temporary being written, never a file once in place.
TEST_F(Faults, SignalCleanupRemovesOnlyTheUnfinishedTemporary) {
    Load({.files = {{.name = "A.BIN", .bytes = PatternBytes(10)}}});
    ScriptedBoxes boxes;
    EXPECT_EQ(PlaceFirst(), StatusOk);
    PosixRemoveUnfinishedFile();
    EXPECT_EQ(box_.Read(dest_ + "A.BIN"), PatternBytes(10));
    PlatformFile file = PlatformNoFile;
    ASSERT_EQ(CreateTargetFile((dest_ + "B.BIN").c_str(), WalkNever, &file), StatusOk);
    std::string temporary = TemporaryPath;
    EXPECT_TRUE(box_.Exists(temporary));
    PosixRemoveUnfinishedFile();
    EXPECT_FALSE(box_.Exists(temporary));
    EXPECT_EQ(FinishTargetFile((dest_ + "B.BIN").c_str(), StatusCancelled, &file), StatusCancelled);
}

// Existing means anything at the path, even what cannot be opened for reading: such a file that
// cannot be written either is asked about as one that cannot be replaced (MsgWriteProtected, with
// Ignore).
TEST_F(Faults, UnreadableExistingFileGetsTheCannotReplaceQuestion) {
    Load({.files = {{.name = "A.BIN", .bytes = PatternBytes(10)}}});
    box_.Write(dest_ + "A.BIN", std::string("locked"));
    box_.SetReadOnly(dest_ + "A.BIN", true);
    PosixFaultPlan().failOpenAfter = 0;
    ScriptedBoxes boxes({AnswerIgnore});
    EXPECT_EQ(PlaceFirst(), StatusOk);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].type & 0x0F, BoxAbortRetryIgnore);
    EXPECT_EQ(Text(box_.Read(dest_ + "A.BIN")), "locked");
}

class CopyFaults : public PlainCopyFixture {
  protected:
    void SetUp() override {
        PlainCopyFixture::SetUp();
        Source(source_);
    }
    std::vector<uint8_t> Prefix(size_t n) { return {source_.begin(), source_.begin() + n}; }

    std::vector<uint8_t> source_ = PatternBytes(3 * 32768 + 100, 5);
};

TEST_F(CopyFaults, ShortReadRetriedRestartsTheChunk) {
    for (int32_t kind : {0, 1}) {
        if (kind == 0) {
            PosixFaultPlan().shortReadAfter = 1;
            PosixFaultPlan().shortReadBytes = 5000;
        } else {
            PosixFaultPlan().failReadAfter = 2;
        }
        ScriptedBoxes boxes({AnswerRetry});
        EXPECT_EQ(Copy(), StatusOk);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, box_.Path("setup\\SRC.BIN") + ": read error!");
        EXPECT_EQ(box_.Read(dest_ + "OUT.BIN"), source_);
    }
}

TEST_F(CopyFaults, ShortWriteRetriedRestartsTheChunk) {
    PosixFaultPlan().shortWriteAfter = 2;
    PosixFaultPlan().shortWriteBytes = 700;
    ScriptedBoxes boxes({AnswerRetry});
    EXPECT_EQ(Copy(), StatusOk);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, dest_ + "OUT.BIN: write error!");
    EXPECT_EQ(box_.Read(dest_ + "OUT.BIN"), source_);
}

// A copy cancelled after a short write or a short read leaves the target as it was: an existing
// one untouched, a new one absent.
TEST_F(CopyFaults, CancelledCopyLeavesTheTargetAsItWas) {
    box_.Write(dest_ + "OUT.BIN", std::string("previous"));
    PosixFaultPlan().shortWriteAfter = 1;
    PosixFaultPlan().shortWriteBytes = 700;
    ScriptedBoxes boxes({AnswerCancel, AnswerCancel});
    EXPECT_EQ(Copy(), StatusCancelled);
    EXPECT_EQ(Text(box_.Read(dest_ + "OUT.BIN")), "previous");
    PosixFaultPlan().shortReadAfter = 1;
    PosixFaultPlan().shortReadBytes = 10;
    EXPECT_EQ(Copy("NEW.BIN"), StatusCancelled);
    EXPECT_FALSE(box_.Exists(dest_ + "NEW.BIN"));
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST_F(CopyFaults, NoMemoryNeverTruncatesAnExistingTarget) {
    box_.Write(dest_ + "OUT.BIN", std::string("previous"));
    PosixFaultPlan().failAllocAfter = 0;
    ScriptedBoxes boxes;
    EXPECT_EQ(Copy(), MsgNoMemory);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(box_.Read(dest_ + "OUT.BIN").size(), 8u);
}

TEST_F(CopyFaults, UnopenableSourceRetriedThenCopied) {
    PosixFaultPlan().failOpenAfter = 0;
    ScriptedBoxes boxes({AnswerRetry});
    EXPECT_EQ(Copy(), StatusOk);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(box_.Read(dest_ + "OUT.BIN"), source_);
}

} // namespace
