// The on-disk layout of FAT12 and FAT16 disks: the boot sector's parameter block, FAT
// entries and 32-byte directory entries, shared by the image reader and the image writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t DirectoryEntrySize = 32;
constexpr uint32_t FirstDataCluster = 2; // clusters 0 and 1 hold the media byte and the end mark

// Directory entry fields: offsets within the 32 bytes.
enum : uint32_t {
    EntryName = 0,          // 11 bytes: 8 of name, 3 of extension, space-padded
    EntryAttributes = 11,   // AttrReadOnly, ...
    EntryCaseFlags = 12,    // CaseLowerBase, CaseLowerExtension
    EntryTime = 22,         // u16: hours << 11 | minutes << 5 | seconds / 2
    EntryDate = 24,         // u16: (year - 1980) << 9 | month << 5 | day
    EntryFirstCluster = 26, // u16
    EntrySize = 28,         // u32, bytes; 0 for directories
};
enum : uint8_t {
    AttrReadOnly = 0x01,
    AttrHidden = 0x02,
    AttrSystem = 0x04,
    AttrVolumeLabel = 0x08,
    AttrDirectory = 0x10,
    AttrArchive = 0x20,
    AttrLongName = 0x0F, // read-only + hidden + system + label: a piece of a long name
};
enum : uint8_t { CaseLowerBase = 0x08, CaseLowerExtension = 0x10 };
constexpr uint8_t EntryDeleted = 0xE5;
constexpr uint8_t LongNameLast = 0x40; // in a long-name piece's ordinal: the last piece
constexpr uint32_t LongNameChars = 13; // UCS-2 characters per long-name piece

// A boot sector's parameters and the layout that follows from them; sectors count from the
// start of the disk.
struct FatGeometry {
    uint32_t bytesPerSector = 0;
    uint32_t sectorsPerCluster = 0;
    uint32_t reservedSectors = 0; // before the first FAT, the boot sector among them
    uint32_t fatCount = 0;
    uint32_t rootEntries = 0; // 32-byte entries of the fixed root directory
    uint32_t totalSectors = 0;
    uint32_t sectorsPerFat = 0;
    uint32_t media = 0; // media descriptor byte, also FAT entry 0's low byte
    uint32_t sectorsPerTrack = 0;
    uint32_t heads = 0;
    // Derived:
    uint32_t rootSector = 0;   // first sector of the root directory
    uint32_t dataSector = 0;   // first sector of cluster 2
    uint32_t clusterCount = 0; // data clusters, numbered 2 to clusterCount + 1
    uint32_t clusterBytes = 0;
    bool fat16 = false; // 4085 clusters or more
};

// Reads and checks the parameter block of the boot sector at the start of bytes (the first size
// bytes of an image of imageSize bytes) and derives the layout; an image of 160, 180, 320 or 360
// KB whose boot sector holds no parameters is known by the media byte at the start of its FAT.
// Returns "" or what is wrong, with the numbers. It never reads past size.
std::string ReadBootSector(const uint8_t* bytes, size_t size, uint64_t imageSize,
                           FatGeometry* geometry);
// Fills the derived fields of a geometry whose parameters are set. False when the parameters
// leave no data area.
bool DeriveLayout(FatGeometry* geometry);

// FAT entry `cluster` of a FAT12 or FAT16 table of tableBytes bytes; 0xFFFF (FAT16) or 0xFFF
// (FAT12) is an end mark. The caller keeps cluster within clusterCount + 2 entries, which
// the table holds once ReadBootSector accepted it.
uint32_t FatEntryOf(const uint8_t* table, bool fat16, uint32_t cluster);
// Whether a FAT entry ends a chain (end mark 0xFF8 to 0xFFF, 0xFFF8 to 0xFFFF for FAT16).
bool IsEndOfChain(uint32_t entry, bool fat16);
// Sets FAT12 entry cluster to value (12 bits).
void SetFat12Entry(uint8_t* table, uint32_t cluster, uint32_t value);

// The checksum of an 11-byte short name that each long-name piece carries.
uint8_t ShortNameChecksum(const uint8_t* name11);
