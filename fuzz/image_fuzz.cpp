// Fuzz target: any bytes as a FAT disk image, opened, every file read through the reader and
// the platform's image drive, and every node found again by its path. Inputs shorter than the
// disk their boot sector describes are also tried zero-filled to that size (up to 3 MB), so
// short inputs reach the FATs and directories of a whole floppy.
#include "base/bytes.h"
#include "fat/image_reader.h"
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"

namespace {

constexpr uint64_t MaxPaddedBytes = 3u << 20;

// The components of a node's path below the root.
std::vector<std::string> PathOf(const FatImage& image, int32_t node) {
    std::vector<std::string> parts;
    for (int32_t n = node; n > 0; n = image.nodes[n].parent)
        parts.insert(parts.begin(), image.nodes[n].name);
    return parts;
}

void Walk(std::vector<uint8_t> bytes) {
    std::string problem;
    std::shared_ptr<const FatImage> image = OpenFatImage(std::move(bytes), &problem);
    if (!image) return;
    PosixMapDriveImage('I', "/fuzz.img", image);
    volatile size_t sink = 0;
    for (int32_t n = 1; n < static_cast<int32_t>(image->nodes.size()); ++n) {
        std::vector<std::string> parts = PathOf(*image, n);
        if (FindFatNode(*image, parts) < 0) __builtin_trap();
        if (image->nodes[n].directory) continue;
        if (ReadFatFile(*image, n).size() != image->nodes[n].size) __builtin_trap();
        if (parts.size() != 1) continue;
        std::string path = "I:\\" + parts[0];
        PlatformFile file = PlatformOpenRead(path.c_str());
        uint8_t chunk[4096];
        int32_t got;
        while (file != PlatformNoFile && (got = PlatformRead(file, chunk, sizeof chunk)) > 0)
            sink = sink + static_cast<size_t>(got);
        PlatformClose(file);
    }
    PosixMapDrive('I', "");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    Walk(bytes);
    if (size >= 512) {
        uint32_t sectors = ReadU16(data + 19);
        if (sectors == 0) sectors = ReadU32(data + 32);
        uint64_t disk = uint64_t{sectors} * ReadU16(data + 11);
        if (disk > size && disk <= MaxPaddedBytes) {
            bytes.resize(disk, 0);
            Walk(std::move(bytes));
        }
    }
    return 0;
}
