// Directory walks: the prefixes of a Windows path, shortest first, entered or made.
#include "install/directory_walk.h"

#include "base/messages.h"
#include "base/paths.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstring>

namespace {

// What a walk does with one prefix; false stops the walk there.
using PrefixVisit = bool (*)(const char* prefix, void* state);

// Copies path[0, cut) into prefix (PathSize bytes) and hands it to visit.
bool VisitPrefix(const char* path, size_t cut, char* prefix, PrefixVisit visit, void* state) {
    if (cut >= PathSize) cut = PathSize - 1; // paths are checked to fit before they get here
    std::memcpy(prefix, path, cut);
    prefix[cut] = '\0';
    return visit(prefix, state);
}

// Visits each prefix of path that runs up to, not including, a backslash at or after from,
// shortest first, while visit goes on. False when visit stopped the walk.
bool VisitPrefixesFrom(const char* path, size_t from, char* prefix, PrefixVisit visit,
                       void* state) {
    if (from > std::strlen(path)) return true;
    for (const char* next = std::strchr(path + from, '\\'); next != nullptr;
         next = std::strchr(next + 1, '\\'))
        if (!VisitPrefix(path, static_cast<size_t>(next - path), prefix, visit, state))
            return false;
    return true;
}

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

// Enters prefix; creates it when it cannot be entered. Updates *created (state) only for a
// prefix that had to be created. The walk always goes on.
bool CreateIfMissing(const char* prefix, void* state) {
    bool* created = static_cast<bool*>(state);
    if (!PlatformEnterDirectory(prefix)) *created = PlatformMakeDirectory(prefix);
    return true;
}

// Where the walk of prefixes starts: after the share of a UNC path (so the first prefix is
// '\\SRV\SHARE', entered like any other and made only when it cannot be entered), after the
// root of 'X:\', else at the first backslash. Null when no backslash follows: the whole path is
// then the one prefix, so a bare 'X:\' or '\\SRV' is entered, or made, like any directory.
const char* FirstSeparator(const char* dir) {
    if (dir[0] == '\\' && dir[1] == '\\') {
        const char* server = std::strchr(dir + 2, '\\');
        return server ? std::strchr(server + 1, '\\') : nullptr;
    }
    if (dir[0] != '\0' && dir[1] == ':' && dir[2] == '\\') return std::strchr(dir + 3, '\\');
    return std::strchr(dir, '\\');
}

// Enters prefix, or creates it and enters it then. False, which stops the walk, when neither
// works.
bool MakeSureDirectory(const char* prefix, void*) {
    if (PlatformEnterDirectory(prefix)) return true;
    return PlatformMakeDirectory(prefix) && PlatformEnterDirectory(prefix);
}

} // namespace

bool CreateMissingDirectories(const char* path, int32_t walkFrom) {
    bool created = false;
    size_t from = static_cast<size_t>(walkFrom);
    char prefix[PathSize] = {};
    if (walkFrom == WalkFromRoot) {
        size_t cut = RootPrefixLength(path);
        VisitPrefix(path, cut, prefix, &CreateIfMissing, &created);
        from = path[cut] == '\\' ? cut + 1 : cut;
    }
    VisitPrefixesFrom(path, from, prefix, &CreateIfMissing, &created);
    return created;
}

bool MakeDirectoryChain(const char* dir, char* prefix) {
    const char* separator = FirstSeparator(dir);
    if (separator != nullptr)
        return VisitPrefixesFrom(dir, static_cast<size_t>(separator - dir), prefix,
                                 &MakeSureDirectory, nullptr);
    CopyText(prefix, PathSize, dir);
    StripBackslash(prefix);
    return MakeSureDirectory(prefix, nullptr);
}
