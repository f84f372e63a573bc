// Creating a target file: existence test, directory walk, and the create-or-ask loop.
#include "install/target_file.h"

#include "package/volume.h"

#include <cstring>

bool FileExists(const char* path) {
    PlatformFile file = PlatformOpenRead(path);
    if (file == PlatformNoFile) return false;
    PlatformClose(file);
    return true;
}

namespace {

// The length of the first prefix of a walk from the root: '\\SRV' for a UNC path (only
// the two backslashes when no backslash follows the server), otherwise the drive root's
// three characters.
size_t RootPrefixLength(const char* path) {
    size_t length = std::strlen(path);
    if (length >= 2 && path[0] == '\\' && path[1] == '\\') {
        const char* next = std::strchr(path + 2, '\\');
        return next ? static_cast<size_t>(next - path) : 2;
    }
    return length < 3 ? length : 3;
}

// Enters the directory prefix path[0, cut); creates it when it cannot be entered. Updates
// *created only for a prefix that had to be created.
void VisitPrefix(const char* path, size_t cut, bool* created) {
    char prefix[PathSize] = {};
    if (cut >= PathSize) cut = PathSize - 1; // paths are checked to fit before they get here
    std::memcpy(prefix, path, cut);
    if (!PlatformEnterDirectory(prefix)) *created = PlatformMakeDirectory(prefix);
}

} // namespace

bool CreateMissingDirectories(const char* path, int32_t walkFrom) {
    bool created = false;
    size_t length = std::strlen(path);
    size_t from;
    if (walkFrom == WalkFromRoot) {
        size_t cut = RootPrefixLength(path);
        VisitPrefix(path, cut, &created);
        from = cut < length && path[cut] == '\\' ? cut + 1 : cut;
    } else {
        from = static_cast<size_t>(walkFrom);
    }
    // Each further prefix runs up to, not including, the next backslash.
    while (from < length) {
        const char* next = std::strchr(path + from, '\\');
        if (next == nullptr) break;
        size_t cut = static_cast<size_t>(next - path);
        VisitPrefix(path, cut, &created);
        from = cut + 1;
    }
    return created;
}

StatusCode CreateTargetFile(const char* path, int32_t walkFrom, PlatformFile* handle) {
    bool existed = FileExists(path);
    for (;;) {
        *handle = PlatformCreate(path);
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

StatusCode RefuseLongPath(const char* subject, int32_t message) {
    while (AskRetryCancel(ProgressWindow, message, subject) == AnswerRetry) {
    }
    return StatusCancelled;
}
