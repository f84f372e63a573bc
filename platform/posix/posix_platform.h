// What the POSIX implementation of the platform adds: drive letters mapped onto host
// directories, the translation of Windows paths, and faults injected for the tests.
//
// Windows paths stay Windows paths: 'C:\WINDOWS\zom.ini' names the file WINDOWS/zom.ini below
// the host directory that drive C: maps to. '..' is resolved lexically and never climbs above
// a drive root; existing components are matched without regard to case, new ones keep the
// case given. UNC paths name nothing here. Windows paths are ANSI texts, host paths UTF-8: each
// component below a drive is the UTF-8 spelling of its ANSI name (code_page.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FatImage;

// Maps drive letter (either case) onto an existing host directory; an empty host unmaps it.
void PosixMapDrive(char letter, const std::string& hostDirectory);
// Maps drive letter onto a FAT disk image (from OpenFatImage), read-only: its files open for
// reading and its directories can be entered; creating files or directories there fails. The
// host paths of its files are hostImage followed by their names in the image
// ("/x/disk1.img/SETUP.bin"): they name a file for messages, and open nothing on the host.
void PosixMapDriveImage(char letter, const std::string& hostImage,
                        std::shared_ptr<const FatImage> image);
// Forgets every drive mapping and the current directory.
void PosixResetDrives();
// The host directory that drive letter maps to, or "" when none.
std::string PosixDriveRoot(char letter);
// The host path that a Windows path names (existing components in their on-disk case), or ""
// when the path lies on no mapped drive.
std::string PosixHostPath(const char* windowsPath);
// The Windows path that a host path inside a mapped drive has, or "" when it lies outside or
// the code page cannot spell it.
std::string PosixWindowsPath(const std::string& hostPath);
// The process's current directory as a Windows path ending in a backslash ("" when none).
std::string PosixCurrentDirectory();

// Faults that the next platform calls run into; each count says after how many more calls of
// that kind the fault strikes once (0: the next call), -1 for never. A struck fault disarms
// itself; a test that wants it again arms it again (from its answer hook, say).
struct PosixFaults {
    int32_t failAllocAfter = -1;   // PlatformGlobalAlloc returns null
    int32_t failOpenAfter = -1;    // PlatformOpenRead fails
    int32_t failCreateAfter = -1;  // PlatformCreate fails
    int32_t failReadAfter = -1;    // PlatformRead returns -1
    uint32_t failReadConsumes = 0; // bytes the failing read moves the position by first
    int32_t shortReadAfter = -1;   // PlatformRead delivers only shortReadBytes
    uint32_t shortReadBytes = 0;
    int32_t failWriteAfter = -1;  // PlatformWrite returns -1
    int32_t shortWriteAfter = -1; // PlatformWrite takes only shortWriteBytes (disk full)
    uint32_t shortWriteBytes = 0;
    int32_t failMakeDirectoryAfter = -1;
    int32_t failReplaceAfter = -1; // PlatformReplaceFile fails, both files untouched
};
PosixFaults& PosixFaultPlan();
void PosixClearFaults();

// Deletes the file that PlatformCreateNew made last, unless it has since been moved into
// place or deleted. Safe in a signal handler: a command stopped by a signal leaves no
// unfinished file behind.
void PosixRemoveUnfinishedFile();

// The symbolic links that file creations, writes and deletions refused to follow since the
// last call, because they lead out of their drive's root: "LINK: why" each. Taking clears them.
std::vector<std::string> PosixTakeRefusedLinks();
// Makes the refusal walk the path one component at a time, following no link at all, as it
// does where the kernel cannot resolve beneath a directory itself; for tests.
void PosixResolveByWalkOnly(bool walkOnly);

// Message boxes without a hook go to the terminal; with no terminal the box cannot be answered
// and counts as cancelled (Cancel, No or Abort, whichever it offers; OK for an OK-only box).
// The prompter writes its questions to standard error.
int PosixTerminalPrompter(const char* text, const char* caption, uint32_t type);
// The answer of a box of this type that nobody can answer: whichever button gives up (Cancel,
// No or Abort), else its only one (OK).
int PosixUnansweredResult(uint32_t type);

// Forces the Windows directory to be reported as windowsPath (default 'C:\WINDOWS').
void PosixSetWindowsDirectory(const char* windowsPath);

// Sets the system directory where shared files belong (default 'C:\WINDOWS\SYSTEM'); in a
// Wine prefix, where Wine keeps a 32-bit program's system files ('C:\windows\syswow64' in a
// 64-bit prefix, 'C:\windows\system32' in a 32-bit one).
void PosixSetSystemDirectory(const char* windowsPath);
// Makes the shared-file query report the copy at windowsPath as in use (VFF_FILEINUSE) while
// inUse holds, as a running program would keep it on Windows; for tests.
void PosixSetFileInUse(const char* windowsPath, bool inUse);
