// Files on POSIX hosts behind Windows paths: opened, created, read, written, replaced and
// deleted on host directories (below their drive's root) or read from disk images.
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

// Host path of the file PlatformCreateNew made last while it is neither moved nor deleted
// (empty otherwise); a fixed array, so that a signal handler can read it.
char UnfinishedFile[4096];

} // namespace

bool IsRegularFile(const std::string& host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

PlatformFile PlatformOpenRead(const char* path) {
    if (FaultStrikes(PosixFaultPlan().failOpenAfter)) return PlatformNoFile;
    std::vector<std::string> parts;
    if (const FatImage* image = ImageOf(path, &parts)) return OpenImageFileAt(*image, parts);
    std::string host = PosixHostPath(path);
    // A directory opens on POSIX but not on Windows; only files count as files.
    if (host.empty() || !IsRegularFile(host)) return PlatformNoFile;
    int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
    return fd < 0 ? PlatformNoFile : fd;
}

PlatformFile PlatformCreate(const char* path) {
    if (FaultStrikes(PosixFaultPlan().failCreateAfter)) return PlatformNoFile;
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
    if (FaultStrikes(PosixFaultPlan().failCreateAfter)) return PlatformNoFile;
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
    if (FaultStrikes(PosixFaultPlan().failReplaceAfter)) return false;
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
    if (FaultStrikes(PosixFaultPlan().failReadAfter)) {
        // A read that fails part-way has still moved the file position.
        lseek(file, PosixFaultPlan().failReadConsumes, SEEK_CUR);
        return -1;
    }
    if (FaultStrikes(PosixFaultPlan().shortReadAfter) && PosixFaultPlan().shortReadBytes < count)
        count = PosixFaultPlan().shortReadBytes;
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
    if (FaultStrikes(PosixFaultPlan().failWriteAfter)) return -1;
    if (FaultStrikes(PosixFaultPlan().shortWriteAfter) && PosixFaultPlan().shortWriteBytes < count)
        count = PosixFaultPlan().shortWriteBytes;
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
