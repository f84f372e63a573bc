// Shared files on Windows: where the version library says they belong, and their versions.
#include "platform/platform.h"

#include <windows.h>

#include <vector>

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
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(path, 0, size, info.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return false;
    *versionMs = fixed->dwFileVersionMS;
    *versionLs = fixed->dwFileVersionLS;
    return true;
}
