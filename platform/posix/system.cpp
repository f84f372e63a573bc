// System facts on POSIX hosts: free disk space, the Windows directory, the running program's
// path.
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

std::string ProgramPathOverride;
bool ProgramPathOverridden = false;
std::string WindowsDirectory = "C:\\WINDOWS";

} // namespace

bool PlatformDiskFreeSpace(const char* root, uint32_t* sectorsPerCluster, uint32_t* bytesPerSector,
                           uint32_t* freeClusters) {
    std::string host = PosixHostPath(root);
    struct statvfs fs;
    if (host.empty() || statvfs(host.c_str(), &fs) != 0) return false;
    // Reported as 4096-byte clusters of 8 sectors of 512 bytes, as a large disk reports them;
    // the cluster count is capped at what 32 bits hold.
    uint64_t freeBytes = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
    uint64_t clusters = freeBytes / 4096;
    *sectorsPerCluster = 8;
    *bytesPerSector = 512;
    *freeClusters = clusters > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(clusters);
    return true;
}

void PosixSetWindowsDirectory(const char* windowsPath) {
    WindowsDirectory = windowsPath;
}

uint32_t PlatformWindowsDirectory(char* buffer, uint32_t size) {
    if (size == 0) return 0;
    buffer[0] = '\0';
    if (WindowsDirectory.size() >= size) return 0;
    std::memcpy(buffer, WindowsDirectory.c_str(), WindowsDirectory.size() + 1);
    return static_cast<uint32_t>(WindowsDirectory.size());
}

void PlatformOverrideProgramPath(const char* path) {
    ProgramPathOverridden = path != nullptr;
    ProgramPathOverride = path ? path : "";
}

uint32_t PlatformProgramPath(char* buffer, uint32_t size) {
    if (size == 0) return 0;
    // Without an override the program is its own host path, which holds no backslash.
    std::string path = ProgramPathOverride;
    if (!ProgramPathOverridden) {
        char self[4096];
        ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        path.assign(self, n > 0 ? static_cast<size_t>(n) : 0);
    }
    return static_cast<uint32_t>(CopyBounded(buffer, size, path.data(), path.size()));
}
