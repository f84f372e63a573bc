// Directory walks over Windows paths: the directory prefixes of a path, shortest first, each
// entered, and made where it cannot be entered.
#pragma once

#include <cstdint>

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

// Makes every missing directory of dir (a directory text ending in a backslash), shortest
// prefix first: each prefix is entered, and made and entered only when it cannot be entered;
// the walk stops at the first that can be neither. It starts below a drive root and, for a
// UNC path, at the share ('\\SRV\SHARE' is the first prefix); a drive root or a UNC server
// is tried only when it is the whole path. prefix is a work buffer of PathSize bytes. True when
// every directory exists.
bool MakeDirectoryChain(const char* dir, char* prefix);
