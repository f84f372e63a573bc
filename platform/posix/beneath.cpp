// Files created, written and deleted only below their drive's root: a symbolic link on the
// way that leads out of it is refused, never followed. The kernel's openat2 with
// RESOLVE_BENEATH resolves the path where it exists; elsewhere the path is walked one
// component at a time without following any link.
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

std::vector<std::string> RefusedLinks; // "link: why", in the order refused
bool WalkOnly = false;                 // openat2 is not used, as on a kernel without it

std::vector<std::string> Components(const std::string& below) {
    std::vector<std::string> parts;
    size_t from = 0;
    while (from <= below.size()) {
        size_t slash = below.find('/', from);
        if (slash == std::string::npos) slash = below.size();
        if (slash > from) parts.push_back(below.substr(from, slash - from));
        from = slash + 1;
    }
    return parts;
}

std::string Canonical(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    std::string result = real ? real : "";
    std::free(real);
    return result;
}

// Adds one refusal, once however often the same link is met.
void Note(const std::string& refusal) {
    for (const std::string& known : RefusedLinks)
        if (known == refusal) return;
    RefusedLinks.push_back(refusal);
}

// Notes the link on the way from root to below that made the resolution fail: the first one
// whose target lies outside root (or leads nowhere), else the first link at all.
void NoteRefusedLink(const std::string& root, const std::string& below) {
    std::string realRoot = Canonical(root), path = root, firstLink;
    for (const std::string& part : Components(below)) {
        path += "/" + part;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0) break;
        if (!S_ISLNK(st.st_mode)) continue;
        if (firstLink.empty()) firstLink = path;
        std::string target = Canonical(path);
        bool inside =
            !target.empty() && !realRoot.empty() &&
            (target == realRoot || target.compare(0, realRoot.size() + 1, realRoot + "/") == 0);
        if (!inside) {
            Note(path + ": a symbolic link that leads out of " + root + "; not followed");
            return;
        }
    }
    if (!firstLink.empty()) Note(firstLink + ": a symbolic link on the way; not followed");
}

// Whether the failure errno of a resolution below root means a link was refused.
bool LinkRefused(int error) {
    return error == EXDEV || error == ELOOP;
}

// openat2 with RESOLVE_BENEATH; -1 with errno ENOSYS where the kernel has no such call.
int OpenAt2Beneath(int rootFd, const std::string& below, int flags, mode_t mode) {
#ifdef SYS_openat2
    if (!WalkOnly) {
        open_how how = {};
        how.flags = static_cast<uint64_t>(flags | O_CLOEXEC);
        how.mode = (flags & O_CREAT) ? mode : 0;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
        return static_cast<int>(syscall(SYS_openat2, rootFd, below.c_str(), &how, sizeof how));
    }
#endif
    errno = ENOSYS;
    return -1;
}

// The walk without openat2: each directory is opened from the one before, and a link is never
// followed, wherever it leads (ELOOP).
int WalkBeneath(int rootFd, const std::string& below, int flags, mode_t mode) {
    std::vector<std::string> parts = Components(below);
    int fd = fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
    for (size_t i = 0; fd >= 0 && i < parts.size(); ++i) {
        const std::string& part = parts[i];
        struct stat st;
        if (part == ".." ||
            (fstatat(fd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))) {
            close(fd);
            errno = ELOOP;
            return -1;
        }
        bool last = i + 1 == parts.size();
        int next = last ? openat(fd, part.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode)
                        : openat(fd, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        int error = errno;
        close(fd);
        fd = next;
        errno = error;
    }
    return fd;
}

// Opens below (a relative host path) from root without leaving it.
int OpenBelowRoot(const std::string& root, const std::string& below, int flags, mode_t mode) {
    int rootFd = open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) return -1;
    if (below.empty()) return rootFd;
    int fd = OpenAt2Beneath(rootFd, below, flags, mode);
    if (fd < 0 && (errno == ENOSYS || errno == EPERM)) fd = WalkBeneath(rootFd, below, flags, mode);
    int error = errno;
    close(rootFd);
    if (fd < 0 && LinkRefused(error)) NoteRefusedLink(root, below);
    errno = error;
    return fd;
}

// The drive root of a Windows path on a host directory and the host path below it, its
// existing components in their on-disk case ("" for the root itself). False for a path on no
// mapped drive.
bool SplitBeneath(const char* path, std::string* root, std::string* below) {
    char drive = 0;
    std::vector<std::string> parts;
    if (!ResolveWindowsPath(path, &drive, &parts)) return false;
    *root = PosixDriveRoot(drive);
    std::string host = HostPathOf(drive, parts);
    *below = host.size() > root->size() ? host.substr(root->size() + 1) : std::string();
    return true;
}

} // namespace

int OpenBeneath(const char* path, int flags, mode_t mode) {
    std::string root, below;
    if (!SplitBeneath(path, &root, &below) || below.empty()) {
        errno = ENOENT;
        return -1;
    }
    return OpenBelowRoot(root, below, flags, mode);
}

int OpenParentBeneath(const char* path, std::string* name) {
    std::string root, below;
    if (!SplitBeneath(path, &root, &below) || below.empty()) {
        errno = ENOENT;
        return -1;
    }
    size_t slash = below.find_last_of('/');
    *name = slash == std::string::npos ? below : below.substr(slash + 1);
    return OpenBelowRoot(root, slash == std::string::npos ? "" : below.substr(0, slash),
                         O_PATH | O_DIRECTORY, 0);
}

std::vector<std::string> PosixTakeRefusedLinks() {
    std::vector<std::string> links;
    links.swap(RefusedLinks);
    return links;
}

void PosixResolveByWalkOnly(bool walkOnly) {
    WalkOnly = walkOnly;
}
