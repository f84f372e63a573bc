// The platform on POSIX hosts: files, directories, memory and strings behind Windows paths.
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

PosixFaults Faults;
std::string ProgramPathOverride;
bool ProgramPathOverridden = false;
std::string WindowsDirectory = "C:\\WINDOWS";
// Host path of the file PlatformCreateNew made last while it is neither moved nor deleted
// (empty otherwise); a fixed array, so that a signal handler can read it.
char UnfinishedFile[4096];

// Whether the armed fault counter strikes on this call (and disarms it when it does).
bool FaultStrikes(int32_t& after) {
    if (after < 0) return false;
    if (after > 0) {
        --after;
        return false;
    }
    after = -1;
    return true;
}

// The image that path lies on, with its components; null for a path on a host directory.
const FatImage* ImageOf(const char* path, std::vector<std::string>* parts) {
    char drive = 0;
    if (!ResolveWindowsPath(path, &drive, parts)) return nullptr;
    return DriveImage(drive);
}

} // namespace

bool IsRegularFile(const std::string& host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

size_t CopyBounded(char* buffer, size_t size, const char* text, size_t length) {
    size_t n = length < size ? length : size - 1;
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return n;
}

PosixFaults& PosixFaultPlan() {
    return Faults;
}
void PosixClearFaults() {
    Faults = PosixFaults();
}

PlatformFile PlatformOpenRead(const char* path) {
    if (FaultStrikes(Faults.failOpenAfter)) return PlatformNoFile;
    std::vector<std::string> parts;
    if (const FatImage* image = ImageOf(path, &parts)) return OpenImageFileAt(*image, parts);
    std::string host = PosixHostPath(path);
    // A directory opens on POSIX but not on Windows; only files count as files.
    if (host.empty() || !IsRegularFile(host)) return PlatformNoFile;
    int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
    return fd < 0 ? PlatformNoFile : fd;
}

PlatformFile PlatformCreate(const char* path) {
    if (FaultStrikes(Faults.failCreateAfter)) return PlatformNoFile;
    std::vector<std::string> parts;
    if (ImageOf(path, &parts) != nullptr) return PlatformNoFile; // images are read-only
    std::string host = PosixHostPath(path);
    if (host.empty()) return PlatformNoFile;
    struct stat st;
    if (stat(host.c_str(), &st) == 0) {
        // No write permission stands for the read-only attribute, even for root.
        if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return PlatformNoFile;
    }
    int fd = OpenBeneath(path, O_RDWR | O_CREAT | O_TRUNC, 0644);
    return fd < 0 ? PlatformNoFile : fd;
}

bool PlatformPathExists(const char* path) {
    std::string host = PosixHostPath(path);
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0;
}

bool PlatformCanWrite(const char* path) {
    std::string host = PosixHostPath(path);
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(host.c_str(), W_OK) == 0;
}

PlatformFile PlatformCreateNew(const char* path) {
    if (FaultStrikes(Faults.failCreateAfter)) return PlatformNoFile;
    std::string host = PosixHostPath(path);
    if (host.empty() || host.size() >= sizeof UnfinishedFile) return PlatformNoFile;
    int fd = OpenBeneath(path, O_RDWR | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) CopyBounded(UnfinishedFile, sizeof UnfinishedFile, host.data(), host.size());
    return fd < 0 ? PlatformNoFile : fd;
}

namespace {

// Forgets the unfinished file when host is the one.
void FinishedWith(const std::string& host) {
    if (host == UnfinishedFile) UnfinishedFile[0] = '\0';
}

} // namespace

bool PlatformReplaceFile(const char* from, const char* to) {
    if (FaultStrikes(Faults.failReplaceAfter)) return false;
    std::string source = PosixHostPath(from);
    if (source.empty() || PosixHostPath(to).empty()) return false;
    // The bytes reach the disk before the name does, so a crash leaves the old file or the new.
    int fd = OpenBeneath(from, O_RDONLY, 0);
    if (fd < 0) return false;
    bool synced = fsync(fd) == 0;
    close(fd);
    std::string fromName, toName;
    int fromDir = synced ? OpenParentBeneath(from, &fromName) : -1;
    int toDir = fromDir >= 0 ? OpenParentBeneath(to, &toName) : -1;
    bool moved = toDir >= 0 && renameat(fromDir, fromName.c_str(), toDir, toName.c_str()) == 0;
    if (fromDir >= 0) close(fromDir);
    if (toDir >= 0) close(toDir);
    if (!moved) return false;
    FinishedWith(source);
    return true;
}

void PosixRemoveUnfinishedFile() {
    if (UnfinishedFile[0] != '\0') unlink(UnfinishedFile);
    UnfinishedFile[0] = '\0';
}

int32_t PlatformRead(PlatformFile file, void* buffer, uint32_t count) {
    if (FaultStrikes(Faults.failReadAfter)) {
        // A read that fails part-way has still moved the file position.
        lseek(file, Faults.failReadConsumes, SEEK_CUR);
        return -1;
    }
    if (FaultStrikes(Faults.shortReadAfter) && Faults.shortReadBytes < count)
        count = Faults.shortReadBytes;
    if (IsImageFile(file)) return ReadImageFile(file, buffer, count);
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = read(file, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<uint32_t>(n);
    }
    return static_cast<int32_t>(done);
}

int32_t PlatformWrite(PlatformFile file, const void* buffer, uint32_t count) {
    if (FaultStrikes(Faults.failWriteAfter)) return -1;
    if (FaultStrikes(Faults.shortWriteAfter) && Faults.shortWriteBytes < count)
        count = Faults.shortWriteBytes;
    if (IsImageFile(file)) return -1;
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = write(file, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return done > 0 ? static_cast<int32_t>(done) : -1;
        done += static_cast<uint32_t>(n);
    }
    return static_cast<int32_t>(done);
}

int32_t PlatformSeek(PlatformFile file, int32_t offset, int origin) {
    if (IsImageFile(file)) return SeekImageFile(file, offset, origin);
    int whence = origin == SeekFromStart     ? SEEK_SET
                 : origin == SeekFromCurrent ? SEEK_CUR
                                             : SEEK_END;
    off_t at = lseek(file, offset, whence);
    if (at < 0 || at > INT32_MAX) return -1;
    return static_cast<int32_t>(at);
}

void PlatformClose(PlatformFile file) {
    if (IsImageFile(file))
        CloseImageFile(file);
    else if (file != PlatformNoFile)
        close(file);
}

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
    if (FaultStrikes(Faults.failMakeDirectoryAfter)) return false;
    std::vector<std::string> parts;
    if (ImageOf(path, &parts) != nullptr) return false;
    std::string name;
    int parent = OpenParentBeneath(path, &name);
    if (parent < 0) return false;
    bool made = mkdirat(parent, name.c_str(), 0755) == 0;
    close(parent);
    return made;
}

int PlatformDeleteFile(const char* path) {
    std::string host = PosixHostPath(path), name;
    if (host.empty()) return DeleteNotFound;
    int parent = OpenParentBeneath(path, &name);
    if (parent < 0) return errno == ENOENT || errno == ENOTDIR ? DeleteNotFound : DeleteRefused;
    struct stat st;
    int result = DeleteRefused;
    if (fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        result = DeleteNotFound;
    } else if (S_ISDIR(st.st_mode) ||
               (S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)) {
        // As on Windows: a directory is no file, and a file without write permission stands
        // for one with the read-only attribute, which DeleteFileA refuses too.
        result = DeleteRefused;
    } else if (unlinkat(parent, name.c_str(), 0) == 0) {
        result = DeleteDone;
    }
    close(parent);
    if (result == DeleteDone) FinishedWith(host);
    return result;
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

void* PlatformGlobalAlloc(uint32_t size, PlatformMemory* handle) {
    *handle = nullptr;
    if (size == 0 || FaultStrikes(Faults.failAllocAfter)) return nullptr;
    void* block = std::calloc(1, size);
    *handle = block;
    return block;
}

void PlatformGlobalFree(PlatformMemory handle) {
    std::free(handle);
}
