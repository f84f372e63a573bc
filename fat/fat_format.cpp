// The FAT12/FAT16 boot sector, FAT entries and short-name checksums.
#include "fat/fat_format.h"

#include "base/bytes.h"

namespace {

// Boot sector fields: offsets from the start of the disk.
enum : uint32_t {
    BootBytesPerSector = 11,    // u16
    BootSectorsPerCluster = 13, // u8
    BootReservedSectors = 14,   // u16
    BootFatCount = 16,          // u8
    BootRootEntries = 17,       // u16
    BootTotalSectors16 = 19,    // u16; 0 when the count needs BootTotalSectors32
    BootMedia = 21,             // u8
    BootSectorsPerFat = 22,     // u16; 0 on FAT32 disks
    BootSectorsPerTrack = 24,   // u16
    BootHeads = 26,             // u16
    BootTotalSectors32 = 32,    // u32
};
constexpr uint32_t MinSectorBytes = 512;
constexpr uint32_t Fat16MinClusters = 4085;  // fewer clusters make a FAT12 disk
constexpr uint32_t Fat32MinClusters = 65525; // this many make a FAT32 disk

std::string Number(uint64_t n) {
    return std::to_string(n);
}

bool IsPowerOfTwo(uint32_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

// The parameters' own sense, before any layout is derived from them.
std::string CheckParameters(const FatGeometry& g) {
    if (g.bytesPerSector < MinSectorBytes || g.bytesPerSector > 4096 ||
        !IsPowerOfTwo(g.bytesPerSector))
        return "its boot sector gives " + Number(g.bytesPerSector) +
               " bytes per sector (512, 1024, 2048 or 4096 expected)";
    if (!IsPowerOfTwo(g.sectorsPerCluster) || g.sectorsPerCluster > 128)
        return "its boot sector gives " + Number(g.sectorsPerCluster) +
               " sectors per cluster (a power of two from 1 to 128 expected)";
    if (g.reservedSectors == 0)
        return "its boot sector gives 0 reserved sectors (at least 1 expected)";
    if (g.fatCount == 0) return "its boot sector gives 0 FATs";
    if (g.sectorsPerFat == 0 || g.rootEntries == 0)
        return "its boot sector gives " + Number(g.sectorsPerFat) + " sectors per FAT and " +
               Number(g.rootEntries) + " root directory entries (a FAT32 disk, or none)";
    if (g.totalSectors == 0) return "its boot sector gives 0 sectors";
    if (g.media != 0xF0 && g.media < 0xF8)
        return "its boot sector gives the media byte " + Number(g.media) +
               " (240, or 248 to 255 expected)";
    return "";
}

// The single- and double-sided 5.25-inch formats from before boot sectors carried parameters:
// known by their size and by the media byte that starts their first FAT, in sector 1.
struct EarlyFormat {
    uint64_t bytes;
    uint32_t media, sectorsPerCluster, rootEntries, sectorsPerFat, sectorsPerTrack, heads;
};
const EarlyFormat EarlyFormats[] = {
    {163840, 0xFE, 1, 64, 1, 8, 1},
    {184320, 0xFC, 1, 64, 2, 9, 1},
    {327680, 0xFF, 2, 112, 1, 8, 2},
    {368640, 0xFD, 2, 112, 2, 9, 2},
};

bool ReadEarlyFormat(const uint8_t* bytes, size_t size, uint64_t imageSize, FatGeometry* g) {
    if (size < MinSectorBytes + 3) return false;
    for (const EarlyFormat& f : EarlyFormats) {
        if (imageSize != f.bytes || bytes[MinSectorBytes] != f.media ||
            bytes[MinSectorBytes + 1] != 0xFF || bytes[MinSectorBytes + 2] != 0xFF)
            continue;
        *g = FatGeometry();
        g->bytesPerSector = MinSectorBytes;
        g->sectorsPerCluster = f.sectorsPerCluster;
        g->reservedSectors = 1;
        g->fatCount = 2;
        g->rootEntries = f.rootEntries;
        g->totalSectors = static_cast<uint32_t>(f.bytes / MinSectorBytes);
        g->sectorsPerFat = f.sectorsPerFat;
        g->media = f.media;
        g->sectorsPerTrack = f.sectorsPerTrack;
        g->heads = f.heads;
        return true;
    }
    return false;
}

} // namespace

bool DeriveLayout(FatGeometry* g) {
    uint32_t rootSectors =
        (g->rootEntries * DirectoryEntrySize + g->bytesPerSector - 1) / g->bytesPerSector;
    g->rootSector = g->reservedSectors + g->fatCount * g->sectorsPerFat;
    g->dataSector = g->rootSector + rootSectors;
    if (g->sectorsPerCluster == 0 || g->dataSector >= g->totalSectors) return false;
    g->clusterCount = (g->totalSectors - g->dataSector) / g->sectorsPerCluster;
    g->clusterBytes = g->bytesPerSector * g->sectorsPerCluster;
    g->fat16 = g->clusterCount >= Fat16MinClusters;
    return g->clusterCount > 0;
}

std::string ReadBootSector(const uint8_t* bytes, size_t size, uint64_t imageSize,
                           FatGeometry* geometry) {
    if (size < MinSectorBytes)
        return "the image is " + Number(imageSize) + " bytes, too short for a boot sector of " +
               Number(MinSectorBytes);
    FatGeometry g;
    g.bytesPerSector = ReadU16(bytes + BootBytesPerSector);
    g.sectorsPerCluster = bytes[BootSectorsPerCluster];
    g.reservedSectors = ReadU16(bytes + BootReservedSectors);
    g.fatCount = bytes[BootFatCount];
    g.rootEntries = ReadU16(bytes + BootRootEntries);
    g.totalSectors = ReadU16(bytes + BootTotalSectors16);
    if (g.totalSectors == 0) g.totalSectors = ReadU32(bytes + BootTotalSectors32);
    g.media = bytes[BootMedia];
    g.sectorsPerFat = ReadU16(bytes + BootSectorsPerFat);
    g.sectorsPerTrack = ReadU16(bytes + BootSectorsPerTrack);
    g.heads = ReadU16(bytes + BootHeads);
    std::string problem = CheckParameters(g);
    if (!problem.empty() && !ReadEarlyFormat(bytes, size, imageSize, &g)) return problem;
    if (!DeriveLayout(&g))
        return "its boot sector gives " + Number(g.totalSectors) +
               " sectors, no more than its FATs and root directory take (" + Number(g.dataSector) +
               ")";
    if (g.clusterCount >= Fat32MinClusters)
        return "its boot sector gives " + Number(g.clusterCount) +
               " clusters, a FAT32 disk (FAT12 and FAT16 are read)";
    uint64_t tableBytes = uint64_t{g.sectorsPerFat} * g.bytesPerSector;
    uint64_t neededBytes =
        g.fat16 ? (g.clusterCount + 2) * 2ull : ((g.clusterCount + 2) * 3ull + 1) / 2;
    if (tableBytes < neededBytes)
        return "its FAT of " + Number(tableBytes) + " bytes cannot hold the " +
               Number(g.clusterCount) + " clusters its boot sector gives";
    uint64_t diskBytes = uint64_t{g.totalSectors} * g.bytesPerSector;
    if (imageSize < diskBytes)
        return "the image is " + Number(imageSize) + " bytes, cut short of the " +
               Number(diskBytes) + " its boot sector gives (" + Number(g.totalSectors) +
               " sectors of " + Number(g.bytesPerSector) + " bytes)";
    *geometry = g;
    return "";
}

uint32_t FatEntryOf(const uint8_t* table, bool fat16, uint32_t cluster) {
    if (fat16) return ReadU16(table + 2 * cluster);
    uint32_t pair = ReadU16(table + cluster * 3 / 2);
    return (cluster & 1) ? pair >> 4 : pair & 0xFFF;
}

bool IsEndOfChain(uint32_t entry, bool fat16) {
    return entry >= (fat16 ? 0xFFF8u : 0xFF8u);
}

void SetFat12Entry(uint8_t* table, uint32_t cluster, uint32_t value) {
    uint8_t* p = table + cluster * 3 / 2;
    if (cluster & 1) {
        p[0] = static_cast<uint8_t>((p[0] & 0x0F) | (value & 0x0F) << 4);
        p[1] = static_cast<uint8_t>(value >> 4);
    } else {
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>((p[1] & 0xF0) | ((value >> 8) & 0x0F));
    }
}

uint8_t ShortNameChecksum(const uint8_t* name11) {
    uint8_t sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + name11[i]);
    return sum;
}
