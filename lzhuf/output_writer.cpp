// The output writer: buffered writes to the target file, with Retry after a failure.
#include "lzhuf/output_writer.h"

#include <cstring>

uint8_t* OutputBuffer;
uint8_t* OutputCursor;
PlatformFile OutputHandle = PlatformNoFile;
char TargetPath[PathSize];
OutputSinkFunction OutputSink;

void StartOutput(uint8_t* buffer, PlatformFile handle) {
    OutputBuffer = buffer;
    OutputCursor = buffer;
    OutputHandle = handle;
}

namespace {

int32_t PendingCount() {
    return static_cast<int32_t>(OutputCursor - OutputBuffer);
}

int32_t WritePending() {
    uint32_t count = static_cast<uint32_t>(PendingCount());
    if (OutputSink) return OutputSink(OutputBuffer, count);
    return PlatformWrite(OutputHandle, OutputBuffer, count);
}

// After a partial write only the unwritten rest stays pending, at the start of the buffer,
// so a retry writes each byte exactly once.
void KeepUnwrittenRest(int32_t written) {
    int32_t rest = PendingCount() - written;
    std::memmove(OutputBuffer, OutputBuffer + written, static_cast<size_t>(rest));
    OutputCursor = OutputBuffer + rest;
}

} // namespace

StatusCode FlushOutput() {
    while (PendingCount() > 0) {
        int32_t written = WritePending();
        if (written >= PendingCount()) break;
        int answer;
        if (written < 0) {
            answer = AskRetryCancel(ProgressWindow, MsgWriteError, TargetPath);
        } else {
            answer = AskRetryCancel(ProgressWindow, MsgDiskFull, TargetPath);
            if (written > 0) KeepUnwrittenRest(written);
        }
        if (answer != AnswerRetry) return StatusCancelled;
    }
    OutputCursor = OutputBuffer;
    return StatusOk;
}
