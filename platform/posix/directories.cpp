// Directories on POSIX hosts behind Windows paths: entered on host directories and disk
// images, made and removed on host directories only, below their drive's root.
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

bool PlatformEnterDirectory(const char* path) {
    char drive = 0;
    std::vector<std::string> parts;
    if (!ResolveWindowsPath(path, &drive, &parts)) return false;
    if (const FatImage* image = DriveImage(drive)) {
        if (!IsImageDirectory(*image, parts)) return false;
        SetCurrentWindowsDirectory(WindowsPathOf(drive, parts));
        return true;
    }
    struct stat st;
    if (stat(HostPathOf(drive, parts).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    SetCurrentWindowsDirectory(WindowsPathOf(drive, parts));
    return true;
}

bool PlatformMakeDirectory(const char* path) {
    if (FaultStrikes(PosixFaultPlan().failMakeDirectoryAfter)) return false;
    std::vector<std::string> parts;
    if (ImageOf(path, &parts) != nullptr) return false;
    std::string name;
    int parent = OpenParentBeneath(path, &name);
    if (parent < 0) return false;
    bool made = mkdirat(parent, name.c_str(), 0755) == 0;
    close(parent);
    return made;
}

bool PlatformRemoveDirectory(const char* path) {
    std::string name;
    int parent = OpenParentBeneath(path, &name);
    if (parent < 0) return false;
    struct stat st;
    bool removed = fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                   S_ISDIR(st.st_mode) && unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
    close(parent);
    return removed;
}
