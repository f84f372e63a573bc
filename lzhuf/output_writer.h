// The output writer: a 32000-byte buffer over the target file that reports write failures
// and a full disk with a chance to retry.
#pragma once

#include "base/messages.h"
#include "platform/platform.h"

#include <cstdint>

constexpr int32_t OutputBufferSize = 32000; // bytes per write to the target file

// Writer state, program-wide, for the one file being expanded.
extern uint8_t* OutputBuffer;     // 32000 bytes, owned by the caller for the file
extern uint8_t* OutputCursor;     // where the next byte goes; the bytes before it are pending
extern PlatformFile OutputHandle; // the created target file
extern const char* OutputSubject; // what the write messages name: the target's full path

// Where flushed blocks go instead of OutputHandle, when set: a function that takes count
// bytes and returns how many it took (fewer means a full disk, -1 a failed write), exactly as
// PlatformWrite does. It lets a caller expand a file in memory, or check it without keeping
// it. Null (the default) writes to OutputHandle; ExpandInto sets it for one expansion.
typedef int32_t (*OutputSinkFunction)(const uint8_t* data, uint32_t count);
extern OutputSinkFunction OutputSink;

// Bytes of the current file that reached the target since StartOutput, and its whole size
// when the caller knows it (0 otherwise); both zeroed by StartOutput.
extern uint64_t OutputWritten;
extern uint64_t OutputExpected;

// Called after each block that reached the target (OutputWritten then counts it), when set:
// lets a progress display follow a file's bytes while it is expanded. Null by default.
typedef void (*OutputProgressFunction)();
extern OutputProgressFunction OutputProgress;

// Points the writer at buffer (OutputBufferSize bytes) and the target handle, with nothing
// pending. OutputSink and OutputSubject are left as they are. Callers expand through
// ExpandInto (lzhuf/decoder.h), which sets all of them for one expansion and clears them after.
void StartOutput(uint8_t* buffer, PlatformFile handle);

// Writes every pending byte. A failed write shows "%s: write error!" (MsgWriteError) naming
// OutputSubject, a partial one "Disk full!" (MsgDiskFull) and keeps only the unwritten rest; both
// note the problem (WriteFailed, WriteShort: the target and its numbers) and ask Retry or Cancel,
// owned by ProgressWindow. Returns StatusOk when nothing is pending any more, StatusCancelled when
// the user cancelled (the unwritten bytes stay in the buffer).
StatusCode FlushOutput();
