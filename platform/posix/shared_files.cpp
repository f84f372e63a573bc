// The shared-file query on POSIX hosts: where a shared file belongs and where a current copy
// of it lies, as the version library answers it on Windows.
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

#include <set>
#include <string>

namespace {

std::string SystemDirectory = "C:\\WINDOWS\\SYSTEM";
std::set<std::string> FilesInUse; // host paths

std::string InUseKey(const std::string& windowsPath) {
    return PosixHostPath(windowsPath.c_str());
}

bool FileExistsIn(const std::string& directory, const char* fileName) {
    if (directory.empty()) return false;
    std::string path = directory;
    if (path.back() != '\\') path += '\\';
    std::string host = PosixHostPath((path + fileName).c_str());
    return !host.empty() && IsRegularFile(host);
}

// Copies text into buffer of size bytes; true when it fitted whole.
bool Give(const std::string& text, char* buffer, uint32_t size) {
    if (size == 0) return false;
    CopyBounded(buffer, size, text.data(), text.size());
    return text.size() < size;
}

} // namespace

void PosixSetSystemDirectory(const char* windowsPath) {
    SystemDirectory = windowsPath;
}
void PosixSetFileInUse(const char* windowsPath, bool inUse) {
    if (inUse) {
        FilesInUse.insert(InUseKey(windowsPath));
    } else {
        FilesInUse.erase(InUseKey(windowsPath));
    }
}

// As VerFindFileA with VFFF_ISSHAREDFILE: shared files belong in the system directory; a
// current copy is looked for there, then in the application directory. No file is ever in
// use here unless marked so by PosixSetFileInUse. VFF_CURNEDEST when no copy lies in the
// system directory.
uint32_t PlatformFindSharedFile(const char* fileName, const char*, const char* appDir,
                                char* currentDir, uint32_t currentSize, char* destDir,
                                uint32_t destSize) {
    std::string current;
    uint32_t flags = 0;
    if (FileExistsIn(SystemDirectory, fileName)) {
        current = SystemDirectory;
    } else {
        flags |= SharedFileCurNotDest;
        if (appDir != nullptr && FileExistsIn(appDir, fileName)) current = appDir;
    }
    if (!current.empty() && FilesInUse.count(InUseKey(current + "\\" + fileName)) != 0)
        flags |= SharedFileInUse;
    if (!Give(current, currentDir, currentSize)) flags |= SharedFileBufferTooSmall;
    if (!Give(SystemDirectory, destDir, destSize)) flags |= SharedFileBufferTooSmall;
    return flags;
}
