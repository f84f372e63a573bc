// The platform on Windows: each function is the one Win32 call it is named for.
#include "platform/platform.h"

#include <windows.h>

#include <cstring>

namespace {
PlatformMessageBoxHook Hook = nullptr;
const char* ProgramPathOverride = nullptr;
char ProgramPathCopy[MAX_PATH];
} // namespace

PlatformFile PlatformOpenRead(const char* path) {
    HFILE file = _lopen(path, OF_READ);
    return file == HFILE_ERROR ? PlatformNoFile : static_cast<PlatformFile>(file);
}

PlatformFile PlatformCreate(const char* path) {
    HFILE file = _lcreat(path, 0);
    return file == HFILE_ERROR ? PlatformNoFile : static_cast<PlatformFile>(file);
}

int32_t PlatformRead(PlatformFile file, void* buffer, uint32_t count) {
    long n = _hread(static_cast<HFILE>(file), buffer, static_cast<long>(count));
    return n == HFILE_ERROR ? -1 : static_cast<int32_t>(n);
}

int32_t PlatformWrite(PlatformFile file, const void* buffer, uint32_t count) {
    long n =
        _hwrite(static_cast<HFILE>(file), static_cast<LPCCH>(buffer), static_cast<long>(count));
    return n == HFILE_ERROR ? -1 : static_cast<int32_t>(n);
}

int32_t PlatformSeek(PlatformFile file, int32_t offset, int origin) {
    LONG at = _llseek(static_cast<HFILE>(file), offset, origin);
    return at == HFILE_ERROR ? -1 : static_cast<int32_t>(at);
}

void PlatformClose(PlatformFile file) {
    if (file != PlatformNoFile) _lclose(static_cast<HFILE>(file));
}

bool PlatformPathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool PlatformCanWrite(const char* path) {
    HFILE file = _lopen(path, OF_WRITE);
    if (file == HFILE_ERROR) return false;
    _lclose(file);
    return true;
}

PlatformFile PlatformCreateNew(const char* path) {
    // The handle is a file handle of the _lcreat family: _lcreat hands out the same kind.
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? PlatformNoFile
                                        : static_cast<PlatformFile>(HandleToLong(file));
}

namespace {

// Windows 95, 98 and ME, where MoveFileExA is there but does nothing: the high bit of the
// version marks them.
bool Windows9x() {
    return (GetVersion() & 0x80000000u) != 0;
}

// Writes what the system still holds of a closed file to the disk.
bool FlushClosedFile(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
}

// A name beside path (in its directory) where nothing exists yet, for the old file while the
// new one takes its place: '~ds00000.old' and on. False when none is free or none fits.
bool FreeNameBeside(const char* path, char* name) {
    const char* slash = std::strrchr(path, '\\');
    size_t directory = slash ? static_cast<size_t>(slash - path) + 1 : 0;
    if (directory + 13 > MAX_PATH) return false;
    for (unsigned n = 0; n < 100000; ++n) {
        std::memcpy(name, path, directory);
        char* digits = name + directory;
        std::memcpy(digits, "~ds00000.old", 13);
        for (unsigned v = n, i = 7; v != 0; v /= 10, --i)
            digits[i] = static_cast<char>('0' + v % 10);
        if (GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES) return true;
    }
    return false;
}

// The replacement on 9x, by renames only: the complete new file is flushed, the old one moves
// aside to a free name, the new one takes its name, and only then is the old one deleted. At
// no moment is the target missing without a complete copy beside it; when the new one cannot
// take the name the old one is put back.
bool ReplaceByRenames(const char* from, const char* to) {
    if (!FlushClosedFile(from)) return false;
    if (GetFileAttributesA(to) == INVALID_FILE_ATTRIBUTES) return MoveFileA(from, to) != 0;
    char aside[MAX_PATH];
    if (!FreeNameBeside(to, aside) || !MoveFileA(to, aside)) return false;
    if (!MoveFileA(from, to)) {
        MoveFileA(aside, to);
        return false;
    }
    SetFileAttributesA(aside, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(aside);
    return true;
}

} // namespace

bool PlatformReplaceFile(const char* from, const char* to) {
    if (Windows9x()) return ReplaceByRenames(from, to);
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool PlatformEnterDirectory(const char* path) {
    return SetCurrentDirectoryA(path) != 0;
}
bool PlatformMakeDirectory(const char* path) {
    return CreateDirectoryA(path, nullptr) != 0;
}

int PlatformDeleteFile(const char* path) {
    if (DeleteFileA(path)) return DeleteDone;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? DeleteNotFound
                                                                          : DeleteRefused;
}

bool PlatformRemoveDirectory(const char* path) {
    return RemoveDirectoryA(path) != 0;
}

bool PlatformDiskFreeSpace(const char* root, uint32_t* sectorsPerCluster, uint32_t* bytesPerSector,
                           uint32_t* freeClusters) {
    DWORD spc = 0, bps = 0, free = 0, total = 0;
    if (!GetDiskFreeSpaceA(root, &spc, &bps, &free, &total)) return false;
    *sectorsPerCluster = spc;
    *bytesPerSector = bps;
    *freeClusters = free;
    return true;
}

uint32_t PlatformWindowsDirectory(char* buffer, uint32_t size) {
    UINT n = GetWindowsDirectoryA(buffer, size);
    if (n >= size) { // too small: the call reports the size it needs and copies nothing
        if (size > 0) buffer[0] = '\0';
        return 0;
    }
    return n;
}

void PlatformOverrideProgramPath(const char* path) {
    if (path == nullptr) {
        ProgramPathOverride = nullptr;
        return;
    }
    lstrcpynA(ProgramPathCopy, path, MAX_PATH);
    ProgramPathOverride = ProgramPathCopy;
}

uint32_t PlatformProgramPath(char* buffer, uint32_t size) {
    if (ProgramPathOverride != nullptr) {
        if (size == 0) return 0;
        lstrcpynA(buffer, ProgramPathOverride, static_cast<int>(size));
        return static_cast<uint32_t>(std::strlen(buffer));
    }
    DWORD n = GetModuleFileNameA(nullptr, buffer, size);
    if (size > 0) buffer[n < size ? n : size - 1] = '\0';
    return n < size ? n : size - 1;
}

uint32_t PlatformReadIniInt(const char* section, const char* key, int32_t defaultValue,
                            const char* file) {
    return GetPrivateProfileIntA(section, key, defaultValue, file);
}

bool PlatformWriteIniString(const char* section, const char* key, const char* value,
                            const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) != 0;
}

void* PlatformGlobalAlloc(uint32_t size, PlatformMemory* handle) {
    *handle = nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (block == nullptr) return nullptr;
    void* address = GlobalLock(block);
    if (address == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    *handle = block;
    return address;
}

void PlatformGlobalFree(PlatformMemory handle) {
    GlobalUnlock(static_cast<HGLOBAL>(handle));
    GlobalFree(static_cast<HGLOBAL>(handle));
}

void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook) {
    Hook = hook;
}

int PlatformMessageBox(PlatformWindow owner, const char* text, const char* caption, uint32_t type) {
    if (Hook != nullptr) return Hook(owner, text, caption, type);
    return MessageBoxA(static_cast<HWND>(owner), text, caption, type);
}

int PlatformLoadString(uint32_t id, char* buffer, int size) {
    if (size <= 0) return 0;
    buffer[0] = '\0';
    return LoadStringA(GetModuleHandleA(nullptr), id, buffer, size);
}
