// The Volume reader: delivers a record's stored stream byte by byte, walking its Segments
// across the Volumes of the distribution disks and asking for disks as needed.
//
// Volume file: u16 disk number (counted from 1) at offset 0, then pieces of stored streams
// addressed by Segments, each Offset counted from the start of the file.
#pragma once

#include "base/messages.h"
#include "base/problem.h"
#include "platform/platform.h"

#include <cstdint>

constexpr uint32_t InputBufferSize = 32000; // chunk size of every read from a Volume

// Reader state, program-wide.
extern uint16_t CurrentDisk;      // disk believed to be in the drive
extern char VolumePath[PathSize]; // SetupDir + ProgramName with ".dat"; same on every disk
extern PlatformFile VolumeHandle; // the open Volume, or PlatformNoFile
extern uint8_t* InputBuffer;      // 32000 bytes from AllocLocked, for the whole transfer
extern PlatformMemory InputBufferHandle;
extern const uint8_t* InputCursor;   // next byte to deliver
extern int32_t InputCount;           // bytes of InputBuffer not yet delivered
extern const uint8_t* SegmentCursor; // next Segment entry of CurrentRecord
extern uint32_t SegmentLeft;         // bytes of the current piece not yet read
extern const uint8_t* CurrentRecord; // record being placed; its Name names short reads

// Starts the stored stream of record: drops buffered bytes, keeps the open Volume and
// CurrentDisk, so a first piece on the disk in the drive continues with a seek. Forgets the
// last problem; each fault the reader then finds is noted in LastProblem before it is shown.
void StartRecordStream(const uint8_t* record);
// Serves a stored stream held in memory instead of the Volumes (single streams, tests): the
// bytes are delivered as one piece, and the stream then ends. It belongs to no record:
// CurrentRecord becomes null; name, when given, is what a damaged stream is reported under
// (the input file of a single stream, say).
void StartMemoryStream(const uint8_t* data, uint32_t size, const char* name = nullptr);

// Next byte of the stored stream (0 to 255); -1 when the stored data has ended (and on every
// later call); -2 when a read failed or the user cancelled.
int ReadStoredByteSlow();
inline int ReadStoredByte() {
    if (InputCount > 0) {
        --InputCount;
        return *InputCursor++;
    }
    return ReadStoredByteSlow();
}
// The 4-byte little-endian size at the start of a stored stream: 0, or -2 when any of the four
// bytes is missing (end or failure); *size is then left unset.
int ReadStoredSize(uint32_t* size);
// Asks for disk CurrentDisk in the drive of SetupDir ("Insert disk %d in drive %s."), OK and
// Cancel, or through the hook when one is set. Returns 0 for OK, 1 otherwise.
int PromptForDisk(PlatformWindow owner);
// Answers a disk prompt instead of its box: disk is the disk asked for; wrongVolume is the
// problem of the Volume found in its place when the same disk is asked for again (its disk
// number, or that it is too short to hold one), or null for a change of disk. Returns AnswerOk
// or AnswerCancel.
typedef int (*DiskPromptHook)(uint16_t disk, const Problem* wrongVolume);
// Sets the hook (null: the box again).
void SetDiskPromptHook(DiskPromptHook hook);
// Reports a stream whose codes ran past its stored data: "%s: read error!" (MsgReadError) with OK,
// naming the record being read, or else the memory stream's name, or else otherName; notes the
// problem with the size the stream claims.
void ReportStreamOverrun(const char* otherName, uint32_t claimedSize);
// Closes the open Volume, if any.
void CloseVolume();

// Prepares the reader for a transfer: disk 1, VolumePath = SetupDir + ProgramName with ".dat", no
// Volume open, a fresh InputBuffer. Returns StatusOk, or MsgNoMemory when InputBuffer cannot be
// had. A VolumePath that would not fit in 259 characters is never cut to name another file: the
// reader then fails to open it and says so naming the Volume's own file name (MsgReadError,
// Retry / Cancel).
StatusCode PrepareVolumeReader();
// Closes an open Volume and releases InputBuffer; harmless when both are already gone.
void ReleaseVolumeReader();
