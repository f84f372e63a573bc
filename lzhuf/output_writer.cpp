// The output writer: buffered writes to the target file, with Retry after a failure.
#include "lzhuf/output_writer.h"

#include "base/paths.h"
#include "base/problem.h"

#include <cstring>

uint8_t* OutputBuffer;
uint8_t* OutputCursor;
PlatformFile OutputHandle = PlatformNoFile;
const char* OutputSubject;
OutputSinkFunction OutputSink;
OutputProgressFunction OutputProgress;
uint64_t OutputWritten;
uint64_t OutputExpected;

void StartOutput(uint8_t* buffer, PlatformFile handle) {
    OutputBuffer = buffer;
    OutputCursor = buffer;
    OutputHandle = handle;
    OutputWritten = OutputExpected = 0;
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
        if (written > 0) {
            OutputWritten += static_cast<uint32_t>(written);
            if (OutputProgress) OutputProgress();
        }
        if (written >= PendingCount()) break;
        StatusCode message = written < 0 ? MsgWriteError : MsgDiskFull;
        Problem& problem = NoteProblem(
            message, ProblemAbout::Record,
            written < 0 ? ProblemFault::WriteFailed : ProblemFault::WriteShort, nullptr);
        CopyText(problem.path, PathSize, OutputSubject);
        problem.found = OutputWritten;
        problem.length = static_cast<uint32_t>(PendingCount() - (written > 0 ? written : 0));
        problem.expected = OutputExpected;
        int answer = AskRetryCancel(ProgressWindow, message, OutputSubject);
        if (written > 0) KeepUnwrittenRest(written);
        if (answer != AnswerRetry) return StatusCancelled;
    }
    OutputCursor = OutputBuffer;
    return StatusOk;
}
