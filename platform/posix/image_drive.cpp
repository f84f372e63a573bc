// Files of a drive mapped onto a FAT disk image: each open file is a copy of its bytes behind
// a handle of its own, numbered far above any descriptor the host gives out.
#include "platform/posix/posix_internal.h"

#include "fat/image_reader.h"

#include <cstring>
#include <map>
#include <memory>

namespace {

constexpr PlatformFile FirstImageHandle = 0x40000000;

struct OpenImageFile {
    std::vector<uint8_t> bytes;
    uint64_t position = 0; // may lie past the end, as a seek there leaves it
};

std::map<PlatformFile, OpenImageFile> OpenFiles;
PlatformFile NextHandle = FirstImageHandle;

} // namespace

PlatformFile OpenImageFileAt(const FatImage& image, const std::vector<std::string>& parts) {
    int32_t node = FindFatNode(image, parts);
    if (node <= 0 || image.nodes[node].directory) return PlatformNoFile;
    // Handles are reused only after the whole range has gone round, never while open.
    auto after = [](PlatformFile h) { return h == INT32_MAX ? FirstImageHandle : h + 1; };
    while (OpenFiles.count(NextHandle) != 0)
        NextHandle = after(NextHandle);
    PlatformFile handle = NextHandle;
    NextHandle = after(handle);
    OpenFiles[handle].bytes = ReadFatFile(image, node);
    return handle;
}

bool IsImageDirectory(const FatImage& image, const std::vector<std::string>& parts) {
    int32_t node = FindFatNode(image, parts);
    return node >= 0 && image.nodes[node].directory;
}

bool IsImageFile(PlatformFile file) {
    return file >= FirstImageHandle && OpenFiles.count(file) != 0;
}

int32_t ReadImageFile(PlatformFile file, void* buffer, uint32_t count) {
    OpenImageFile& open = OpenFiles[file];
    if (open.position >= open.bytes.size()) return 0;
    uint64_t left = open.bytes.size() - open.position;
    uint32_t n = left < count ? static_cast<uint32_t>(left) : count;
    std::memcpy(buffer, open.bytes.data() + open.position, n);
    open.position += n;
    return static_cast<int32_t>(n);
}

int32_t SeekImageFile(PlatformFile file, int32_t offset, int origin) {
    OpenImageFile& open = OpenFiles[file];
    int64_t base = origin == SeekFromStart     ? 0
                   : origin == SeekFromCurrent ? static_cast<int64_t>(open.position)
                                               : static_cast<int64_t>(open.bytes.size());
    int64_t at = base + offset;
    if (at < 0 || at > INT32_MAX) return -1;
    open.position = static_cast<uint64_t>(at);
    return static_cast<int32_t>(at);
}

void CloseImageFile(PlatformFile file) {
    OpenFiles.erase(file);
}
