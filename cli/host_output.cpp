// Host files written beside their targets and moved into place once complete.
#include "cli/host_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

bool OutputBeside::Open(const std::string& path, mode_t mode) {
    Finish(false);
    target_ = path;
    std::error_code error;
    fs::file_status status = fs::symlink_status(path, error);
    // A device, pipe or socket is written as it stands (a directory then fails to open); a
    // symbolic link is replaced like a file, never written through.
    if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status)) {
        file_ = std::fopen(path.c_str(), "wb");
        return file_ != nullptr;
    }
    fs::path folder = fs::path(path).parent_path();
    std::string pattern = (folder / ".disksetup-XXXXXX").string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    temporary_ = pattern;
    if (fchmod(fd, mode) != 0 || (file_ = fdopen(fd, "w+b")) == nullptr) {
        close(fd);
        Finish(false);
        return false;
    }
    return true;
}

bool OutputBeside::Finish(bool keep) {
    bool ok = true;
    if (file_ != nullptr) {
        ok = std::fflush(file_) == 0;
        if (keep && !temporary_.empty()) ok = fsync(fileno(file_)) == 0 && ok;
        ok = std::fclose(file_) == 0 && ok;
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        if (keep && ok) ok = std::rename(temporary_.c_str(), target_.c_str()) == 0;
        if (!keep || !ok) unlink(temporary_.c_str());
        temporary_.clear();
    }
    return ok;
}

mode_t NewFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}
