// The seam between the portable engine and the operating system: files, directories, disk
// space, settings, shared-file versions, memory, message boxes and strings.
//
// Each function does what one Win32 call does for SETUP.EXE and is named for that job. Paths
// are always Windows paths ("C:\WINDOWS\zom.ini"); the POSIX implementation maps them onto
// host directories (see platform/posix/posix_platform.h). Nothing here throws.
#pragma once

#include <cstdint>

// A file handle of the _lopen/_lcreat family; PlatformNoFile when none is open.
typedef int32_t PlatformFile;
constexpr PlatformFile PlatformNoFile = -1;

// An owner window for message boxes; null for none. Portable code only passes it along.
typedef void* PlatformWindow;

// Handle of a block from PlatformGlobalAlloc; null for none.
typedef void* PlatformMemory;

// Seek origins, as _llseek numbers them.
enum : int { SeekFromStart = 0, SeekFromCurrent = 1, SeekFromEnd = 2 };

// ---- files ----------------------------------------------------------------------------
// Opens an existing file for reading (_lopen with OF_READ). Returns PlatformNoFile on failure.
PlatformFile PlatformOpenRead(const char* path);
// Creates a file or truncates an existing one, normal attributes (_lcreat with 0).
PlatformFile PlatformCreate(const char* path);
// Reads up to count bytes (_hread). Returns the bytes read (0 at the end), or -1 on failure.
int32_t PlatformRead(PlatformFile file, void* buffer, uint32_t count);
// Writes count bytes (_hwrite). Returns the bytes written, which may be fewer than count when
// the disk is full, or -1 on failure.
int32_t PlatformWrite(PlatformFile file, const void* buffer, uint32_t count);
// Moves the file position (_llseek). Returns the new position from the start, or -1.
int32_t PlatformSeek(PlatformFile file, int32_t offset, int origin);
// Closes a file (_lclose); PlatformNoFile is ignored.
void PlatformClose(PlatformFile file);
// Whether anything, file or directory, is at path (GetFileAttributesA), readable or not.
bool PlatformPathExists(const char* path);
// Whether the existing file at path could be opened for writing now (_lopen with OF_WRITE,
// closed again at once): false for a read-only file, a file another program holds, or no file.
bool PlatformCanWrite(const char* path);
// Creates a file that must not exist yet, normal attributes (CreateFileA with CREATE_NEW);
// an existing file is never opened or changed. Returns PlatformNoFile on failure.
PlatformFile PlatformCreateNew(const char* path);
// Puts the closed file from in the place of to, replacing a file there, and returns only when
// the move has reached the disk (MoveFileExA with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH). On failure both files are left as they were.
bool PlatformReplaceFile(const char* from, const char* to);

// ---- directories ----------------------------------------------------------------------
// Makes the directory the process's current directory (SetCurrentDirectoryA). This is also
// how the program tests that a directory exists.
bool PlatformEnterDirectory(const char* path);
// Creates one directory (CreateDirectoryA, no security attributes).
bool PlatformMakeDirectory(const char* path);

// ---- removal ----------------------------------------------------------------------------
// What PlatformDeleteFile did.
enum : int {
    DeleteDone = 0,     // the file is gone
    DeleteNotFound = 1, // there was no such file (nor its directory)
    DeleteRefused = 2,  // it is there but cannot be deleted: read-only, in use, or no file
};
// Deletes one file (DeleteFileA); never a directory.
int PlatformDeleteFile(const char* path);
// Removes an empty directory (RemoveDirectoryA). False when it is not empty, missing, the
// current directory of the process, or cannot be removed.
bool PlatformRemoveDirectory(const char* path);

// ---- system facts ----------------------------------------------------------------------
// Free space of the disk holding root (GetDiskFreeSpaceA). False when it cannot be learned.
bool PlatformDiskFreeSpace(const char* root, uint32_t* sectorsPerCluster, uint32_t* bytesPerSector,
                           uint32_t* freeClusters);
// Copies the Windows directory into buffer (GetWindowsDirectoryA). Returns its length; 0, with
// an empty text, on failure or when it does not fit.
uint32_t PlatformWindowsDirectory(char* buffer, uint32_t size);
// Copies the running setup program's full path into buffer (GetModuleFileNameA). Returns the
// number of characters copied (at most size - 1), 0 on failure.
uint32_t PlatformProgramPath(char* buffer, uint32_t size);
// Makes PlatformProgramPath answer path instead (null: the real path again). The disksetup
// command uses it to stand a package's disk in for the setup program's directory; tests too.
void PlatformOverrideProgramPath(const char* path);

// ---- settings file ----------------------------------------------------------------------
// GetPrivateProfileIntA: the leading decimal number of key's value in section of file (a bare
// file name lies in the Windows directory), or defaultValue when there is none.
uint32_t PlatformReadIniInt(const char* section, const char* key, int32_t defaultValue,
                            const char* file);
// WritePrivateProfileStringA: stores value under key in section, keeping everything else.
bool PlatformWriteIniString(const char* section, const char* key, const char* value,
                            const char* file);

// ---- shared files -----------------------------------------------------------------------
// VerFindFileA with VFFF_ISSHAREDFILE. Fills currentDir (directory of an existing copy, or "")
// and destDir (recommended directory) and returns the VFF_ flags.
enum : uint32_t { SharedFileCurNotDest = 1, SharedFileInUse = 2, SharedFileBufferTooSmall = 4 };
uint32_t PlatformFindSharedFile(const char* fileName, const char* windowsDir, const char* appDir,
                                char* currentDir, uint32_t currentSize, char* destDir,
                                uint32_t destSize);
// The fixed file version of a file (GetFileVersionInfoA + VerQueryValueA "\\"). False when the
// file has no version resource or cannot be read.
bool PlatformFileVersion(const char* path, uint32_t* versionMs, uint32_t* versionLs);

// ---- memory -----------------------------------------------------------------------------
// A moveable, zero-filled global block, locked (GlobalAlloc + GlobalLock). Returns the address
// and stores the handle, or returns null and stores null. A block of 0 bytes cannot be locked.
void* PlatformGlobalAlloc(uint32_t size, PlatformMemory* handle);
// Unlocks and frees a block from PlatformGlobalAlloc.
void PlatformGlobalFree(PlatformMemory handle);

// ---- user -------------------------------------------------------------------------------
// Message box types and results, with the platform's numbers.
enum : uint32_t {
    BoxOk = 0x00,
    BoxOkCancel = 0x01,
    BoxAbortRetryIgnore = 0x02,
    BoxYesNo = 0x04,
    BoxRetryCancel = 0x05,
    BoxIconQuestion = 0x20,
    BoxIconWarning = 0x30,
    BoxIconInformation = 0x40,
};
enum : int {
    AnswerOk = 1,
    AnswerCancel = 2,
    AnswerAbort = 3,
    AnswerRetry = 4,
    AnswerIgnore = 5,
    AnswerYes = 6,
    AnswerNo = 7,
};
// Shows a modal message box (MessageBoxA); caption null means the system's default title.
// Returns the button pressed.
int PlatformMessageBox(PlatformWindow owner, const char* text, const char* caption, uint32_t type);

// Diverts every message box to hook instead of the screen or terminal, for tests and scripted
// runs on both platforms; null restores the normal boxes. The hook returns the answer.
typedef int (*PlatformMessageBoxHook)(PlatformWindow owner, const char* text, const char* caption,
                                      uint32_t type);
void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook);

// Loads string id of the string table into buffer (LoadStringA). Returns its length; a missing
// id gives an empty text and 0. The text is cut to size - 1 characters.
int PlatformLoadString(uint32_t id, char* buffer, int size);
