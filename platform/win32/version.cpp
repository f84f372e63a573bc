// Shared files on Windows: where the version library says they belong, and their versions.
#include "platform/platform.h"

#include <windows.h>

uint32_t PlatformFindSharedFile(const char* fileName, const char* windowsDir, const char* appDir,
                                char* currentDir, uint32_t currentSize, char* destDir,
                                uint32_t destSize) {
    UINT current = currentSize, dest = destSize;
    // The version library's declaration takes writable texts but only reads these three.
    return VerFindFileA(VFFF_ISSHAREDFILE, const_cast<char*>(fileName),
                        const_cast<char*>(windowsDir), const_cast<char*>(appDir), currentDir,
                        &current, destDir, &dest);
}

bool PlatformFileVersion(const char* path, uint32_t* versionMs, uint32_t* versionLs) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return false;
    void* info = HeapAlloc(GetProcessHeap(), 0, size);
    if (info == nullptr) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    bool found = GetFileVersionInfoA(path, 0, size, info) &&
                 VerQueryValueA(info, "\\", reinterpret_cast<void**>(&fixed), &length) &&
                 fixed != nullptr && length >= sizeof(VS_FIXEDFILEINFO);
    if (found) {
        *versionMs = fixed->dwFileVersionMS;
        *versionLs = fixed->dwFileVersionLS;
    }
    HeapFree(GetProcessHeap(), 0, info);
    return found;
}
