// The Volume reader: walks a record's Segments across disks, reading pieces in 32000-byte
// chunks, prompting for disks and checking each Volume's own disk number.
#include "package/volume.h"

#include "base/memory.h"
#include "base/paths.h"
#include "base/problem.h"
#include "base/text_format.h"
#include "package/catalogue.h"

#include <cstring>

uint16_t CurrentDisk;
char VolumePath[PathSize];
PlatformFile VolumeHandle = PlatformNoFile;
uint8_t* InputBuffer;
PlatformMemory InputBufferHandle;
const uint8_t* InputCursor;
int32_t InputCount;
const uint8_t* SegmentCursor;
uint32_t SegmentLeft;
const uint8_t* CurrentRecord;

namespace {

DiskPromptHook PromptHook; // answers the disk prompt instead of a box when set

// An end entry: a stream served from memory has no further pieces.
const uint8_t EndOfList[SegmentSize] = {};
const char* MemoryStreamName; // what the stream served from memory is called, or null

// The piece being read: its disk, its offset in the Volume and its length, as its Segment
// gives them.
uint16_t PieceDisk;
uint32_t PieceOffset;
uint32_t PieceLength;

// Where the next piece starts in its Volume, and whether the open Volume still has to be
// moved there before the piece's first chunk is read.
uint32_t SeekPosition;
bool SeekPending;

// Set when SetupDir and the Volume's name do not fit VolumePath together; VolumePath then holds
// the Volume's name alone, which the open failure names.
bool VolumePathTooLong;

// Outcomes of the steps below, besides a byte.
constexpr int StreamEnded = -1;
constexpr int StreamFailed = -2;
constexpr int StepDone = 0;

// The name a record's problem goes under: its Name, or "" for a stream from memory.
const char* RecordSubject() {
    return CurrentRecord ? RecordName(CurrentRecord) : "";
}

// Notes a problem of the Volume under VolumePath, expected to be disk CurrentDisk.
Problem& NoteVolumeProblem(StatusCode status, ProblemFault fault) {
    Problem& problem = NoteProblem(status, ProblemAbout::Volume, fault, VolumePath);
    CopyText(problem.path, PathSize, VolumePath);
    problem.diskWanted = CurrentDisk;
    return problem;
}

// Notes a problem of the record met while reading the current piece of its Volume.
Problem& NotePieceProblem(ProblemFault fault) {
    Problem& problem = NoteProblem(MsgReadError, ProblemAbout::Record, fault, RecordSubject());
    CopyText(problem.path, PathSize, VolumePath);
    problem.diskWanted = PieceDisk;
    problem.offset = PieceOffset;
    problem.length = PieceLength;
    return problem;
}

// The disk prompt; wrongVolume is the problem of the Volume found instead, or null for a change
// of disk. Returns 0 for OK, 1 otherwise.
int AskForDisk(PlatformWindow owner, const Problem* wrongVolume) {
    if (PromptHook != nullptr) return PromptHook(CurrentDisk, wrongVolume) == AnswerOk ? 0 : 1;
    char drive[2] = {SetupDir[0], '\0'};
    if (drive[0] >= 'a' && drive[0] <= 'z') drive[0] = static_cast<char>(drive[0] - 32);
    char format[256] = {};
    PlatformLoadString(StrInsertDisk, format, 255);
    // The text holds %d for the disk and %s for the drive; only those are filled in.
    char text[256] = {};
    const char* percentD = std::strstr(format, "%d");
    const char* percentS = std::strstr(format, "%s");
    if (percentD != nullptr && percentS != nullptr && percentD < percentS &&
        std::strchr(percentS + 2, '%') == nullptr && std::strchr(format, '%') == percentD &&
        std::strchr(percentD + 2, '%') == percentS) {
        FormatText(text, sizeof text, format, static_cast<unsigned>(CurrentDisk), drive);
    } else {
        CopyText(text, sizeof text, format);
    }
    int answer = PlatformMessageBox(owner, text, SetupCaption, BoxOkCancel | BoxIconWarning);
    return answer == AnswerOk ? 0 : 1;
}

// Takes the next Segment entry: its length, its seek position, and a disk change with its
// prompt. Returns StepDone, StreamEnded at the end of the list, StreamFailed on a cancel.
int TakeNextPiece() {
    uint16_t disk = SegmentDisk(SegmentCursor);
    if (disk == 0) return StreamEnded;
    uint32_t length = SegmentLength(SegmentCursor);
    if (length == 0) return StreamEnded;
    SegmentLeft = length;
    SeekPosition = SegmentOffset(SegmentCursor);
    PieceDisk = disk;
    PieceOffset = SeekPosition;
    PieceLength = length;
    bool cancelled = false;
    SeekPending = true;
    if (disk != CurrentDisk) {
        // Every change of disk asks once, before any attempt to open the Volume, even when
        // the right disk may already be in the drive.
        CurrentDisk = disk;
        CloseVolume();
        cancelled = AskForDisk(ProgressWindow, nullptr) != 0;
    }
    SegmentCursor += SegmentSize;
    return cancelled ? StreamFailed : StepDone;
}

// Opens VolumePath and checks its disk number against CurrentDisk, prompting until the right
// disk is in or the user cancels. A Volume too short to hold its disk number counts as the
// wrong disk. Returns StepDone with the Volume open at the seek position, or StreamFailed.
int OpenCheckedVolume() {
    for (;;) {
        VolumeHandle = VolumePathTooLong ? PlatformNoFile : PlatformOpenRead(VolumePath);
        if (VolumeHandle == PlatformNoFile) {
            NoteVolumeProblem(MsgReadError, ProblemFault::VolumeUnreadable);
            if (AskRetryCancel(ProgressWindow, MsgReadError, VolumePath) == AnswerRetry) continue;
            return StreamFailed;
        }
        uint8_t number[2];
        int32_t got;
        // A retried read starts again at the disk number, whatever the failed one consumed.
        while ((got = PlatformRead(VolumeHandle, number, 2)) < 0) {
            NoteVolumeProblem(MsgReadError, ProblemFault::VolumeUnreadable);
            if (AskRetryCancel(ProgressWindow, MsgReadError, VolumePath) != AnswerRetry)
                return StreamFailed;
            PlatformSeek(VolumeHandle, 0, SeekFromStart);
        }
        if (got == 2 && ReadU16(number) == CurrentDisk) return StepDone;
        CloseVolume();
        Problem& other = NoteVolumeProblem(StrInsertDisk, ProblemFault::VolumeOfOtherDisk);
        other.found = static_cast<uint32_t>(got);
        other.diskFound = got == 2 ? ReadU16(number) : 0;
        if (AskForDisk(ProgressWindow, &other) != 0) return StreamFailed;
    }
}

// Moves the open Volume to the start of the current piece. A position the file cannot be
// moved to (one past 2 GB) is a read error of the record, never a read from elsewhere.
int SeekToPiece() {
    while (SeekPosition > INT32_MAX ||
           PlatformSeek(VolumeHandle, static_cast<int32_t>(SeekPosition), SeekFromStart) !=
               static_cast<int32_t>(SeekPosition)) {
        NotePieceProblem(ProblemFault::PieceUnreadable);
        if (AskRetryCancel(ProgressWindow, MsgReadError, RecordName(CurrentRecord)) != AnswerRetry)
            return StreamFailed;
    }
    SeekPending = false;
    return StepDone;
}

// Reads the next chunk of the current piece into InputBuffer. Returns StepDone, StreamEnded
// when the Volume gives no bytes at all, or StreamFailed.
int ReadChunk() {
    if (SeekPending && SeekToPiece() != StepDone) return StreamFailed;
    uint32_t chunk = SegmentLeft < InputBufferSize ? SegmentLeft : InputBufferSize;
    // A retried read starts again where the failed one began, so no byte is skipped; a
    // position that cannot be restored is asked about again rather than read from.
    int32_t start = PlatformSeek(VolumeHandle, 0, SeekFromCurrent);
    int32_t got = -1;
    for (bool first = true;; first = false) {
        InputCursor = InputBuffer;
        if (first || (start >= 0 && PlatformSeek(VolumeHandle, start, SeekFromStart) == start)) {
            got = PlatformRead(VolumeHandle, InputBuffer, chunk);
            if (got >= 0) break;
        }
        NotePieceProblem(ProblemFault::PieceUnreadable);
        if (AskRetryCancel(ProgressWindow, MsgReadError, RecordName(CurrentRecord)) != AnswerRetry)
            return StreamFailed;
    }
    InputCount = got;
    if (got == 0) {
        // No byte where the piece goes on: the stream ends here, for its decoder to judge.
        NotePieceProblem(ProblemFault::VolumeEndsInPiece).volumeEnded = true;
        return StreamEnded;
    }
    if (static_cast<uint32_t>(got) < chunk) {
        // The Volume ends inside the piece: the file cannot be complete.
        InputCount = 0;
        NotePieceProblem(ProblemFault::PieceUnreadable);
        CopyText(ErrorSubject, PathSize, RecordName(CurrentRecord));
        ReportStatus(ProgressWindow, MsgReadError);
        return StreamFailed;
    }
    SegmentLeft -= chunk;
    return StepDone;
}

} // namespace

void StartRecordStream(const uint8_t* record) {
    ClearProblem();
    CurrentRecord = record;
    SegmentCursor = RecordFirstSegment(record);
    SegmentLeft = 0;
    InputCursor = InputBuffer;
    InputCount = 0;
}

void StartMemoryStream(const uint8_t* data, uint32_t size, const char* name) {
    ClearProblem();
    CurrentRecord = nullptr; // a stream from memory belongs to no record
    MemoryStreamName = name;
    SegmentCursor = EndOfList;
    SegmentLeft = 0;
    InputCursor = data;
    InputCount = static_cast<int32_t>(size);
}

int ReadStoredByteSlow() {
    if (SegmentLeft == 0) {
        int step = TakeNextPiece();
        if (step != StepDone) return step;
    }
    if (VolumeHandle == PlatformNoFile) {
        int step = OpenCheckedVolume();
        if (step != StepDone) return step;
    }
    int step = ReadChunk();
    if (step != StepDone) return step;
    --InputCount;
    return *InputCursor++;
}

int ReadStoredSize(uint32_t* size) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        int b = ReadStoredByte();
        if (b == StreamEnded)
            NoteProblem(StatusCancelled, ProblemAbout::Record, ProblemFault::StreamSizeCut,
                        RecordSubject())
                .found = static_cast<uint32_t>(i);
        if (b < 0) return StreamFailed;
        value |= static_cast<uint32_t>(b) << (8 * i);
    }
    *size = value;
    return 0;
}

int PromptForDisk(PlatformWindow owner) {
    return AskForDisk(owner, nullptr);
}

void SetDiskPromptHook(DiskPromptHook hook) {
    PromptHook = hook;
}

void ReportStreamOverrun(const char* otherName, uint32_t claimedSize) {
    const char* subject = CurrentRecord      ? RecordName(CurrentRecord)
                          : MemoryStreamName ? MemoryStreamName
                                             : otherName;
    NoteProblem(MsgReadError, ProblemAbout::Record, ProblemFault::StreamOverrun, subject).expected =
        claimedSize;
    CopyText(ErrorSubject, PathSize, subject);
    ReportStatus(ProgressWindow, MsgReadError);
}

void CloseVolume() {
    PlatformClose(VolumeHandle);
    VolumeHandle = PlatformNoFile;
}

StatusCode PrepareVolumeReader() {
    CurrentDisk = 1;
    char name[PathSize] = {};
    CopyText(name, PathSize, CatalogueProgramName());
    bool fits = ReplaceExtension(name, PathSize, ".dat");
    CopyText(VolumePath, PathSize, SetupDir);
    VolumePathTooLong = !(fits && AppendText(VolumePath, PathSize, name));
    if (VolumePathTooLong) CopyText(VolumePath, PathSize, name);
    VolumeHandle = PlatformNoFile;
    InputBuffer = static_cast<uint8_t*>(AllocLocked(InputBufferSize, &InputBufferHandle));
    if (InputBuffer == nullptr) return MsgNoMemory;
    InputCount = 0;
    InputCursor = InputBuffer;
    return StatusOk;
}

void ReleaseVolumeReader() {
    CloseVolume();
    FreeLocked(&InputBufferHandle);
    InputBuffer = nullptr;
    InputCursor = nullptr;
    InputCount = 0;
}
