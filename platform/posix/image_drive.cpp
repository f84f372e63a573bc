// Files of a drive mapped onto a FAT disk image: each open file is its node and a position
// behind a handle of its own, numbered far above any descriptor the host gives out; its bytes
// are read from the image as they are asked for.
#include "platform/posix/posix_internal.h"

#include "fat/image_reader.h"

#include <map>
#include <memory>

namespace {

constexpr PlatformFile FirstImageHandle = 0x40000000;

struct OpenImageFile {
    std::shared_ptr<const FatImage> image; // kept while the file is open, whatever is remapped
    int32_t node = 0;
    uint64_t size = 0;
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
    OpenFiles[handle] = {image.shared_from_this(), node, image.nodes[node].size, 0};
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
    if (count > INT32_MAX) count = INT32_MAX;
    int64_t n =
        ReadFatFileAt(*open.image, open.node, open.position, static_cast<uint8_t*>(buffer), count);
    if (n < 0) return -1;
    open.position += static_cast<uint64_t>(n);
    return static_cast<int32_t>(n);
}

int32_t SeekImageFile(PlatformFile file, int32_t offset, int origin) {
    OpenImageFile& open = OpenFiles[file];
    int64_t base = origin == SeekFromStart     ? 0
                   : origin == SeekFromCurrent ? static_cast<int64_t>(open.position)
                                               : static_cast<int64_t>(open.size);
    int64_t at = base + offset;
    if (at < 0 || at > INT32_MAX) return -1;
    open.position = static_cast<uint64_t>(at);
    return static_cast<int32_t>(at);
}

void CloseImageFile(PlatformFile file) {
    OpenFiles.erase(file);
}
