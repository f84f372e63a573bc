// A host file written beside its target and moved over it only once complete, so a failure
// leaves whatever was at the target as it was and no temporary behind.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

class OutputBeside {
  public:
    OutputBeside() = default;
    OutputBeside(const OutputBeside&) = delete;
    OutputBeside& operator=(const OutputBeside&) = delete;
    // A file still open is abandoned: its temporary is removed.
    ~OutputBeside() { Finish(false); }

    // Opens a temporary in path's folder with the permissions mode, or path itself when a
    // device, pipe or socket is there, which is written as it stands (a symbolic link at path is
    // replaced, never written through). False, with nothing created, when it cannot be opened.
    bool Open(const std::string& path, mode_t mode);
    std::FILE* File() const { return file_; }
    // Closes the file; when keep, flushes the temporary to the disk and moves it over the
    // target, otherwise removes it. False when any step failed (nothing is left then either).
    bool Finish(bool keep);

  private:
    std::FILE* file_ = nullptr;
    std::string target_;
    std::string temporary_; // empty when the target itself is written
};

// The permissions a new file gets from the process's umask (0666 less it), as the C library's
// fopen would give.
mode_t NewFileMode();
