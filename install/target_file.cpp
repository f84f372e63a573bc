// Creating a target file: existence test, the create-or-ask loop, and the temporary file that
// replaces the target once complete.
#include "install/target_file.h"

#include "base/paths.h"
#include "package/volume.h"
#include "base/text_format.h"

#include <cstring>

char TemporaryPath[PathSize];

bool FileExists(const char* path) {
    PlatformFile file = PlatformOpenRead(path);
    if (file == PlatformNoFile) return false;
    PlatformClose(file);
    return true;
}

namespace {

// Creates a new temporary file in the directory of path, after deleting what stopped runs
// left there, and sets TemporaryPath. PlatformNoFile, with TemporaryPath empty, when none can
// be made.
PlatformFile CreateTemporary(const char* path) {
    RemoveLeftoverTemporaries(path, nullptr);
    for (unsigned n = 0; n < TemporaryNames; ++n) {
        if (!TemporaryName(path, n, TemporaryPath)) break;
        if (PlatformPathExists(TemporaryPath)) continue;
        PlatformFile file = PlatformCreateNew(TemporaryPath);
        if (file != PlatformNoFile) return file;
        break;
    }
    TemporaryPath[0] = '\0';
    return PlatformNoFile;
}

} // namespace

uint32_t RemoveLeftoverTemporaries(const char* directory, void (*removed)(const char* path)) {
    char path[PathSize];
    uint32_t count = 0;
    for (unsigned n = 0; n < TemporaryNames && TemporaryName(directory, n, path); ++n) {
        if (PlatformDeleteFile(path) != DeleteDone) break;
        if (removed != nullptr) removed(path);
        ++count;
    }
    return count;
}

StatusCode CreateTargetFile(const char* path, int32_t walkFrom, PlatformFile* handle) {
    for (;;) {
        // Looked at again on every Retry: the user may have closed or deleted what was in the way.
        bool existed = PlatformPathExists(path);
        *handle = existed && !PlatformCanWrite(path) ? PlatformNoFile : CreateTemporary(path);
        if (*handle != PlatformNoFile) return StatusOk;
        int answer;
        if (existed) {
            answer = AskAbortRetryIgnore(ProgressWindow, MsgWriteProtected, path);
        } else {
            if (walkFrom != WalkNever && CreateMissingDirectories(path, walkFrom)) continue;
            answer = AskRetryCancel(ProgressWindow, MsgWriteError, path);
        }
        if (answer == AnswerRetry) continue;
        return answer == AnswerIgnore ? StatusOk : StatusCancelled;
    }
}

StatusCode FinishTargetFile(const char* path, StatusCode result, PlatformFile* handle) {
    PlatformClose(*handle);
    *handle = PlatformNoFile;
    if (TemporaryPath[0] == '\0') return result;
    bool kept = false;
    while (result == StatusOk && !kept && !PlatformReplaceFile(TemporaryPath, path)) {
        // A file in the way (typically one in use) may be kept as it is; a new one may not.
        int answer = PlatformPathExists(path)
                         ? AskAbortRetryIgnore(ProgressWindow, MsgWriteProtected, path)
                         : AskRetryCancel(ProgressWindow, MsgWriteError, path);
        if (answer == AnswerIgnore)
            kept = true;
        else if (answer != AnswerRetry)
            result = StatusCancelled;
    }
    if (result != StatusOk || kept) PlatformDeleteFile(TemporaryPath);
    TemporaryPath[0] = '\0';
    return result;
}

StatusCode RefuseLongPath(const char* subject, int32_t message) {
    while (AskRetryCancel(ProgressWindow, message, subject) == AnswerRetry) {
    }
    return StatusCancelled;
}
