// The destination directory: proposal, free space, checks and creation of missing directories.
#include "install/destination.h"

#include "base/memory.h"
#include "base/paths.h"
#include "install/directory_walk.h"
#include "install/transfer.h"
#include "package/catalogue.h"

#include <cstring>

bool ProposeInstallDir() {
    if (PlatformWindowsDirectory(InstallDir, PathSize) == 0) CopyText(InstallDir, PathSize, "c:\\");
    if (!InsvPackage) {
        // Without the name the proposal would be the Windows directory itself.
        if (!AppendBackslash(InstallDir, PathSize) ||
            !AppendText(InstallDir, PathSize, Header.ProgramName)) {
            InstallDir[0] = '\0';
            return false;
        }
        char* dot = std::strrchr(InstallDir, '.');
        if (dot != nullptr) *dot = '\0';
    }
    StripBackslash(InstallDir);
    if (std::strlen(InstallDir) + 1 < PathSize) return true;
    InstallDir[0] = '\0';
    return false;
}

uint32_t FreeSpaceKb(const char* path) {
    uint32_t sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0;
    bool known;
    if (path[0] == '\\' && path[1] == '\\') {
        known = PlatformDiskFreeSpace(path, &sectorsPerCluster, &bytesPerSector, &freeClusters);
    } else {
        PlatformMemory handle = nullptr;
        char* root = static_cast<char*>(AllocLocked(PathSize, &handle));
        if (root == nullptr) return FreeSpaceUnknown;
        CopyText(root, PathSize, path);
        if (root[0] != '\0' && root[1] == ':') {
            root[2] = '\\';
            root[3] = '\0';
        }
        known = PlatformDiskFreeSpace(root, &sectorsPerCluster, &bytesPerSector, &freeClusters);
        FreeLocked(&handle);
    }
    return known ? KilobytesFree(sectorsPerCluster, bytesPerSector, freeClusters)
                 : FreeSpaceUnknown;
}

uint32_t KilobytesFree(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters) {
    // Kilobytes for clusters that are multiples of 256 bytes, computed in 64 bits so that a
    // large disk is never shown as nearly full.
    uint64_t clusterQuarterKb = (static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector) >> 8;
    uint64_t kb = (clusterQuarterKb * freeClusters) >> 2;
    return kb > FreeSpaceLargest ? FreeSpaceLargest : static_cast<uint32_t>(kb);
}

uint32_t CreateInstallDirChain() {
    AppendBackslash(InstallDir, PathSize);
    PlatformMemory handle = nullptr;
    char* prefix = static_cast<char*>(AllocLocked(PathSize, &handle));
    if (prefix == nullptr) return 0xFFFFFFFF;
    bool made = MakeDirectoryChain(InstallDir, prefix);
    FreeLocked(&handle);
    return made ? 0 : 1;
}

namespace {

// A UNC path, or a drive letter with its root: a drive-relative 'C:GAMES' would depend on
// that drive's current directory, so it is refused like the other bad forms.
bool FormIsValid(const char* dir) {
    if (dir[0] == '\\' && dir[1] == '\\') return true;
    return std::strlen(dir) >= 3 && dir[1] == ':' && dir[2] == '\\';
}

// Space check, repeated for every Retry. False when the user chose Abort (or Cancel).
bool SpaceIsAccepted(PlatformWindow dialog) {
    for (;;) {
        uint32_t free = FreeSpaceKb(InstallDir);
        if (free == FreeSpaceUnknown || RequiredKb <= free) return true;
        int answer =
            ShowStringMessage(dialog, MsgLowSpace, BoxAbortRetryIgnore | BoxIconInformation);
        if (answer == AnswerIgnore) return true;
        if (answer != AnswerRetry) return false;
    }
}

} // namespace

void UseBackslashes(char* dir) {
    for (char* slash = std::strchr(dir, '/'); slash != nullptr; slash = std::strchr(slash, '/'))
        *slash = '\\';
}

bool AcceptInstallDir(PlatformWindow dialog) {
    UseBackslashes(InstallDir);
    // A typed text that leaves no room for the trailing backslash is no usable directory.
    if (!FormIsValid(InstallDir) || !AppendBackslash(InstallDir, PathSize) ||
        SameTextIgnoringCase(InstallDir, SetupDir)) {
        WarnString(dialog, MsgInvalidDirectory);
        return false;
    }
    if (!SpaceIsAccepted(dialog)) return false;
    StripBackslash(InstallDir);
    if (!PlatformEnterDirectory(InstallDir)) {
        if (AskYesNo(dialog, MsgCreateDirectory, InstallDir) != AnswerYes) return false;
        if (CreateInstallDirChain() != 0) {
            WarnFormatted(dialog, MsgCannotCreate, InstallDir);
            return false;
        }
    }
    AppendBackslash(InstallDir, PathSize);
    return true;
}
