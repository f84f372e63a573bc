// The destination directory: the proposal, the free-space figure, the checks of the user's
// choice, and the creation of missing directories. The dialog itself lives in install/win32/.
#pragma once

#include "base/messages.h"
#include "platform/platform.h"

#include <cstdint>

constexpr uint32_t FreeSpaceUnknown = 0xFFFFFFFF;
constexpr uint32_t FreeSpaceLargest = 0xFFFFFFFE; // shown for anything that does not fit

// Fills InstallDir with the proposal, without a trailing backslash (but for a drive root): the
// Windows directory ("c:\" when it cannot be had), and for an ordinary package the program's
// name without its extension below it, cut at the last dot of the whole text. A program name
// that does not fit there, leaving room for the backslash the OK check appends, proposes
// nothing: InstallDir is left empty and the result is false.
bool ProposeInstallDir();

// Kilobytes free on the disk or share that holds path: a UNC path is asked as it is, any other
// path with a drive letter as its root ('X:\'). FreeSpaceUnknown when that cannot be learned;
// a figure above 32 bits shows as FreeSpaceLargest, never wrapped.
uint32_t FreeSpaceKb(const char* path);
// The figure FreeSpaceKb shows for a disk's geometry: ((S × B) / 256 × F) / 4 kilobytes.
uint32_t KilobytesFree(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters);

// Makes every missing directory of InstallDir, shortest prefix first: each prefix is entered,
// and made only when it cannot be entered. The walk starts below a drive root and, for a UNC
// path, at the share ('\\SRV\SHARE' is the first prefix); a drive root or a UNC server is
// tried only when it is the whole path. InstallDir ends with a backslash afterwards.
// Returns 0 when every directory exists, 1 when one could neither be entered nor created,
// 0xFFFFFFFF when the work buffer cannot be had.
uint32_t CreateInstallDirChain();

// Takes every forward slash of a typed directory as the backslash that Windows takes it for,
// so 'C:/GAMES' is the absolute 'C:\GAMES' and is checked and shown as such.
void UseBackslashes(char* dir);

// The checks of OK, in order, on the directory the user typed (already in InstallDir, at most 259
// characters; forward slashes are taken as backslashes first): the form, not SetupDir itself,
// enough space (MsgLowSpace, Abort / Retry / Ignore), and existence (MsgCreateDirectory, then
// creation; MsgCannotCreate when that fails). Every message is owned by dialog. Returns true when
// the dialog may end: InstallDir then exists, ends with a backslash and is the current directory.
bool AcceptInstallDir(PlatformWindow dialog);
