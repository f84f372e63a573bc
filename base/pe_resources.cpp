// Finds one resource of a Windows executable image (32- or 64-bit) in its bytes.
#include "base/pe_resources.h"

#include "base/bytes.h"

namespace {

// The bytes of the image, with every read checked against its end.
struct Image {
    const uint8_t* data;
    size_t size;
};

bool Fits(const Image& image, uint64_t offset, uint64_t length) {
    return offset <= image.size && length <= image.size - offset;
}

// Little-endian values at offsets already checked with Fits.
uint16_t Get16(const Image& image, uint64_t offset) {
    return ReadU16(image.data + offset);
}
uint32_t Get32(const Image& image, uint64_t offset) {
    return ReadU32(image.data + offset);
}

constexpr uint32_t ResourceDirectoryIndex = 2; // data directory entry of the resources
constexpr uint32_t SectionHeaderSize = 40;

// Where the headers say the sections and the resource directory are.
struct Layout {
    uint64_t sectionTable; // file offset of the first section header
    uint32_t sectionCount;
    uint32_t resourceRva; // 0 when the image has no resources
    uint32_t resourceSize;
};

// Reads the DOS, COFF and optional headers. False when they are not those of a PE image.
bool ReadLayout(const Image& image, Layout* layout) {
    if (!Fits(image, 0, 64) || image.data[0] != 'M' || image.data[1] != 'Z') return false;
    uint64_t pe = Get32(image, 0x3C);
    if (!Fits(image, pe, 24) || Get32(image, pe) != 0x00004550) return false; // "PE\0\0"
    uint64_t optional = pe + 24;
    uint32_t optionalSize = Get16(image, pe + 20);
    if (optionalSize < 2 || !Fits(image, optional, optionalSize)) return false;
    uint16_t magic = Get16(image, optional);
    uint32_t countOffset;
    if (magic == 0x10B) {
        countOffset = 92; // PE32: NumberOfRvaAndSizes, directories follow
    } else if (magic == 0x20B) {
        countOffset = 108; // PE32+
    } else {
        return false;
    }
    layout->sectionTable = optional + optionalSize;
    layout->sectionCount = Get16(image, pe + 6);
    layout->resourceRva = 0;
    layout->resourceSize = 0;
    uint64_t entry = countOffset + 4 + uint64_t{ResourceDirectoryIndex} * 8;
    if (optionalSize < countOffset + 4 || optionalSize < entry + 8) return true;
    if (Get32(image, optional + countOffset) <= ResourceDirectoryIndex) return true;
    layout->resourceRva = Get32(image, optional + entry);
    layout->resourceSize = Get32(image, optional + entry + 4);
    return true;
}

// Turns a relative virtual address into a file offset through the section that holds it.
// False when no section's raw data holds length bytes from there.
bool RvaToOffset(const Image& image, const Layout& layout, uint32_t rva, uint32_t length,
                 uint64_t* offset) {
    for (uint32_t i = 0; i < layout.sectionCount; ++i) {
        uint64_t header = layout.sectionTable + uint64_t{i} * SectionHeaderSize;
        if (!Fits(image, header, SectionHeaderSize)) return false;
        uint32_t address = Get32(image, header + 12);
        uint32_t rawSize = Get32(image, header + 16);
        uint32_t rawOffset = Get32(image, header + 20);
        if (rva < address || uint64_t{rva} - address >= rawSize) continue;
        uint64_t within = uint64_t{rva} - address;
        if (within + length > rawSize) return false;
        *offset = uint64_t{rawOffset} + within;
        return Fits(image, *offset, length);
    }
    return false;
}

// The resource section as a window of the image: directory offsets count from its start.
struct Resources {
    uint64_t start;
    uint64_t size;
};

// Finds, in the resource directory at dirOffset, the entry with the given id, or the first
// entry when id is negative. Stores its raw OffsetToData field. False when there is none.
bool FindEntry(const Image& image, const Resources& res, uint32_t dirOffset, int64_t id,
               uint32_t* target) {
    if (uint64_t{dirOffset} + 16 > res.size) return false;
    uint64_t dir = res.start + dirOffset;
    uint32_t named = Get16(image, dir + 12);
    uint32_t total = named + Get16(image, dir + 14);
    for (uint32_t i = 0; i < total; ++i) {
        uint64_t entry = uint64_t{dirOffset} + 16 + uint64_t{i} * 8;
        if (entry + 8 > res.size) return false;
        uint32_t name = Get32(image, res.start + entry);
        bool match =
            id < 0 || (i >= named && (name & 0x80000000u) == 0 && static_cast<int64_t>(name) == id);
        if (match) {
            *target = Get32(image, res.start + entry + 4);
            return true;
        }
    }
    return false;
}

// Walks the type, the wanted name and the first language to the data entry, and stores the
// file offset and size of the resource's data.
bool FindData(const Image& image, const Layout& layout, uint32_t type, int64_t id, uint64_t* block,
              uint32_t* size) {
    if (layout.resourceRva == 0) return false;
    Resources res;
    uint32_t available = layout.resourceSize;
    if (!RvaToOffset(image, layout, layout.resourceRva, 16, &res.start)) return false;
    // The directory may claim more than the image holds; trust only what lies in the file.
    res.size = image.size - res.start < available ? image.size - res.start : available;
    uint32_t target = 0;
    int64_t wanted = type;
    for (int level = 0; level < 2; ++level) { // the type, then the name
        if (!FindEntry(image, res, target & 0x7FFFFFFFu, wanted, &target)) return false;
        if ((target & 0x80000000u) == 0) return false; // a leaf too early
        wanted = id;
    }
    // The languages' entries point to data entries, not to further directories.
    if (!FindEntry(image, res, target & 0x7FFFFFFFu, -1, &target)) return false;
    if ((target & 0x80000000u) != 0 || uint64_t{target} + 16 > res.size) return false;
    uint32_t dataRva = Get32(image, res.start + target);
    *size = Get32(image, res.start + target + 4);
    return RvaToOffset(image, layout, dataRva, *size, block);
}

} // namespace

bool FindPeResource(const uint8_t* data, size_t size, uint32_t type, int64_t id,
                    PeResource* found) {
    if (data == nullptr) return false;
    Image image{data, size};
    Layout layout;
    uint64_t block = 0;
    uint32_t blockSize = 0;
    if (!ReadLayout(image, &layout)) return false;
    if (!FindData(image, layout, type, id, &block, &blockSize)) return false;
    found->data = data + block;
    found->size = blockSize;
    return true;
}
