// Creating a target file: the existence test, the walk that creates missing directories, and
// the questions asked when a file cannot be created or replaced.
#pragma once

#include "platform/platform.h"
#include "shell/messages.h"

#include <cstddef>

// A file exists when it can be opened for reading; the handle is closed again at once.
bool FileExists(const char* path);

// Where the directory walk starts in a target path.
enum : int32_t {
    WalkNever = -1,   // no walk: a missing directory is a write error
    WalkFromRoot = 0, // from the drive root ('C:\') or the server ('\\SRV')
};
// Any other value n > 0: the walk starts after the first n characters of the path (a
// destination directory ending in a backslash), which are never visited themselves.

// Visits the directory prefixes of path, shortest first, that start after walkFrom: each one
// that cannot be entered is created. The file's own name is never visited. Returns true when
// the deepest prefix that had to be created was created (false when none had to be). Leaves
// the current directory at the deepest prefix that could be entered.
bool CreateMissingDirectories(const char* path, int32_t walkFrom);

// Creates path (create or truncate, normal attributes), asking the user while it fails:
// an existing file (noted once, before the first attempt) gives "%s: Setup cannot replace
// this file because it is write protected." (34, Abort / Retry / Ignore); a new one first
// has its missing directories created when walkFrom allows a walk and is then retried at
// once, else gives "%s: write error!" (36, Retry / Cancel). Both name path; owner
// ProgressWindow. Returns 0 with *handle open; 0 with *handle PlatformNoFile after Ignore;
// 2 after Abort or Cancel.
StatusCode CreateTargetFile(const char* path, int32_t walkFrom, PlatformFile* handle);

// Refuses a file whose path does not fit a path buffer with message (35 for a source, 36 for
// a target) naming subject, Retry / Cancel, as often as the user answers Retry; the path is
// never cut to fit. Returns 2 when the user gives up.
StatusCode RefuseLongPath(const char* subject, int32_t message);
