// The plain copy of one file from the setup directory, with its chunk loop.
#include "install/plain_copy.h"

#include "base/memory.h"
#include "base/paths.h"
#include "install/target_file.h"
#include "package/catalogue.h"
#include "package/volume.h"

#include <cstring>

namespace {

// Reads count bytes at the source's position start into buffer; on a short read asks
// Retry / Cancel and reads the chunk again from start. A position that cannot be restored is
// asked about again rather than read from.
StatusCode ReadChunk(const char* sourcePath, PlatformFile source, uint8_t* buffer, uint32_t count,
                     int32_t start) {
    for (bool first = true;; first = false) {
        if (first || PlatformSeek(source, start, SeekFromStart) == start) {
            int32_t got = PlatformRead(source, buffer, count);
            if (got >= 0 && static_cast<uint32_t>(got) == count) return StatusOk;
        }
        if (AskRetryCancel(ProgressWindow, MsgReadError, sourcePath) != AnswerRetry)
            return StatusCancelled;
    }
}

// Writes count bytes of buffer at the target's position start; on a short write asks Retry /
// Cancel and writes the whole chunk again from start, over the bytes that did pass.
StatusCode WriteChunk(const char* targetPath, PlatformFile target, const uint8_t* buffer,
                      uint32_t count, int32_t start) {
    for (bool first = true;; first = false) {
        if (first || PlatformSeek(target, start, SeekFromStart) == start) {
            int32_t put = PlatformWrite(target, buffer, count);
            if (put >= 0 && static_cast<uint32_t>(put) == count) return StatusOk;
        }
        if (AskRetryCancel(ProgressWindow, MsgWriteError, targetPath) != AnswerRetry)
            return StatusCancelled;
    }
}

// Copies count bytes from source to target through buffer (at least count bytes), both files
// positioned at the chunk's start. A short read asks 35 (sourcePath), a short write 36
// (targetPath), Retry / Cancel; a retry starts again at the chunk's start in both files, so
// the copy stays exact. Returns 0, or 2 after Cancel.
StatusCode CopyChunk(const char* targetPath, const char* sourcePath, PlatformFile target,
                     PlatformFile source, uint8_t* buffer, uint32_t count) {
    int32_t sourceStart = PlatformSeek(source, 0, SeekFromCurrent);
    int32_t targetStart = PlatformSeek(target, 0, SeekFromCurrent);
    StatusCode result = ReadChunk(sourcePath, source, buffer, count, sourceStart);
    if (result != StatusOk) return result;
    return WriteChunk(targetPath, target, buffer, count, targetStart);
}

// Opens the source for reading and takes its size by seeking to its end and back, asking
// Retry / Cancel while that fails.
StatusCode OpenSource(const char* sourcePath, PlatformFile* source, int32_t* size) {
    for (;;) {
        *source = PlatformOpenRead(sourcePath);
        if (*source != PlatformNoFile) {
            *size = PlatformSeek(*source, 0, SeekFromEnd);
            if (*size >= 0 && PlatformSeek(*source, 0, SeekFromStart) == 0) return StatusOk;
            PlatformClose(*source);
            *source = PlatformNoFile;
        }
        if (AskRetryCancel(ProgressWindow, MsgReadError, sourcePath) != AnswerRetry)
            return StatusCancelled;
    }
}

// Copies size bytes in chunks of CopyBufferSize, the last one 1 to CopyBufferSize bytes.
StatusCode CopyChunks(const char* targetPath, const char* sourcePath, PlatformFile target,
                      PlatformFile source, uint8_t* buffer, uint32_t size) {
    while (size > 0) {
        uint32_t count = size > CopyBufferSize ? CopyBufferSize : size;
        StatusCode result = CopyChunk(targetPath, sourcePath, target, source, buffer, count);
        if (result != StatusOk) return result;
        size -= count;
    }
    return StatusOk;
}

} // namespace

StatusCode CopyPlainFile(const char* targetName, const char* sourceName, const char* directory) {
    char sourcePath[PathSize] = {};
    char targetPath[PathSize] = {};
    if (!AppendText(sourcePath, PathSize, SetupDir) ||
        !AppendText(sourcePath, PathSize, sourceName))
        return RefuseLongPath(sourceName, MsgReadError);
    if (!AppendText(targetPath, PathSize, directory) ||
        !AppendText(targetPath, PathSize, targetName))
        return RefuseLongPath(targetName, MsgWriteError);
    PlatformFile source = PlatformNoFile;
    int32_t size = 0;
    StatusCode result = OpenSource(sourcePath, &source, &size);
    if (result != StatusOk) return result;
    PlatformMemory bufferHandle = nullptr;
    uint8_t* buffer = static_cast<uint8_t*>(AllocLocked(CopyBufferSize, &bufferHandle));
    PlatformFile target = PlatformNoFile;
    if (buffer == nullptr) {
        result = MsgNoMemory;
    } else {
        // Missing subdirectories of the name are created below the destination, never above.
        size_t start = std::strlen(directory);
        int32_t walk =
            start > 0 && std::strchr(targetName, '\\') ? static_cast<int32_t>(start) : WalkNever;
        result = CreateTargetFile(targetPath, walk, &target);
    }
    if (result == StatusOk && target != PlatformNoFile && size > 0)
        result =
            CopyChunks(targetPath, sourcePath, target, source, buffer, static_cast<uint32_t>(size));
    if (buffer != nullptr) result = FinishTargetFile(targetPath, result, &target);
    PlatformClose(source);
    FreeLocked(&bufferHandle);
    return result;
}
