// A read-only FAT12/FAT16 disk image, read on demand: opening checks the boot sector and walks
// every directory and every file's cluster chain once, so that a damaged or hostile image is
// refused whole, with the reason, before anything is read from it; files are then found by
// name without regard to case and read a piece at a time. Only the FAT's used part, the names
// and the cluster lists are kept, never the image's data.
#pragma once

#include "fat/fat_format.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One file or directory of an image.
struct FatNode {
    std::string name; // the long name (Latin-1) when the image holds a sound one, else shortName
    std::string shortName; // "NAME.EXT" as stored (OEM bytes), without padding
    bool directory = false;
    uint32_t size = 0;              // bytes; 0 for directories
    std::vector<uint32_t> clusters; // the clusters holding its bytes, in order
    int32_t parent = -1;            // index of the directory that lists it; -1 for the root
    std::vector<int32_t> children;  // directories: indexes of the nodes listed in it
};

// Reads count bytes at offset of the image into out; false when they cannot all be read.
using FatImageReader = std::function<bool(uint64_t offset, uint8_t* out, size_t count)>;

struct FatImage : std::enable_shared_from_this<FatImage> {
    FatImageReader read; // the image's bytes, kept open for the image's life
    uint64_t size = 0;   // bytes in the image
    FatGeometry geometry;
    std::vector<FatNode> nodes; // nodes[0] is the root directory
    std::string label;          // the root's volume label entry, trailing spaces dropped
};

// Images larger than this are no distribution disk and are refused before they are read.
constexpr uint64_t MaxFatImageBytes = 256ull << 20;
// Files and directories in one image at most; more are refused, which bounds the memory that
// an image of nothing but directory entries takes.
constexpr uint32_t MaxFatNodes = 65536;

// Checks the size bytes that read delivers as a FAT12 or FAT16 image and walks it. Returns the
// image, or null with *problem saying what is wrong, with the numbers: a boot sector that is not
// FAT's, an image cut short or unreadable, a chain that loops, runs past the FAT, ends early or
// is shared, a directory that contains itself, a size the data area cannot hold, a name with a
// control character or a path separator. Work is bounded by the image's size: every cluster is
// visited at most once. Memory is bounded by the FAT and the directories.
std::shared_ptr<const FatImage> OpenFatImage(FatImageReader read, uint64_t size,
                                             std::string* problem);
// The same for an image held in memory.
std::shared_ptr<const FatImage> OpenFatImage(std::vector<uint8_t> bytes, std::string* problem);

// The node that the path components name below the root, each matched without regard to case
// against the long or the short name; 0 (the root) for no components, -1 when none matches.
int32_t FindFatNode(const FatImage& image, const std::vector<std::string>& parts);

// Reads up to count bytes of file node from offset into out. Returns the bytes read (0 at or past
// the end, and for a directory), or -1 when the image cannot be read.
int64_t ReadFatFileAt(const FatImage& image, int32_t node, uint64_t offset, uint8_t* out,
                      uint32_t count);
// The bytes of a file node (size bytes from its clusters); empty for a directory, and cut
// short where the image cannot be read.
std::vector<uint8_t> ReadFatFile(const FatImage& image, int32_t node);
