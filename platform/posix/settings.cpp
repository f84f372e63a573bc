// The settings file and the shared-file services on POSIX hosts.
#include "platform/platform.h"

// Not built yet: the settings file reads as empty and nothing is stored; shared files are
// always recommended for the Windows system directory and carry no version.
uint32_t PlatformReadIniInt(const char*, const char*, int32_t defaultValue, const char*) {
    return static_cast<uint32_t>(defaultValue);
}

bool PlatformWriteIniString(const char*, const char*, const char*, const char*) { return false; }

uint32_t PlatformFindSharedFile(const char*, const char*, const char*, char* currentDir,
                                uint32_t currentSize, char* destDir, uint32_t destSize) {
    if (currentSize > 0) currentDir[0] = '\0';
    if (destSize > 0) destDir[0] = '\0';
    return 0;
}

bool PlatformFileVersion(const char*, uint32_t*, uint32_t*) { return false; }
