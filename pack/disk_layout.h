// Where stored streams go: one after the other across the Volumes of the disks, each disk
// filled to its capacity, a stream split at whatever byte a disk ends on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bytes at the start of every Volume: its u16 disk number.
constexpr uint64_t VolumeHeaderSize = 2;
// The setup program seeks a Volume with a signed 32-bit offset, so no byte of a Volume may lie
// at or beyond 2^31; the format's own u32 fields would allow 4 GB.
constexpr uint64_t MaxVolumeSize = 0x7FFFFFFF;
constexpr uint32_t MaxDiskCount = 0xFFFF;

// One Segment: a piece of a stored stream in the Volume of a disk.
struct PlannedPiece {
    uint16_t disk;
    uint32_t offset; // from the start of the Volume
    uint32_t length;
};

struct DiskPlan {
    std::vector<std::vector<PlannedPiece>> pieces; // per stream, in order
    std::vector<uint64_t> volumeSizes;             // per disk, index 0 = disk 1
};

// What planning needs to know of one record: its name (for messages), its length without
// Segment entries, and the size of its stored stream.
struct RecordShape {
    std::string name;
    uint32_t fixedLength;
    uint64_t streamSize;
};

// Places the records' streams so that disk 1 also holds the catalogue that describes them
// (header, records with their Segments) and setupSize bytes of setup program. Throws
// PackError as PlanDisks does, and when a record would pass 65535 bytes.
DiskPlan PlanPackage(const std::vector<RecordShape>& records, uint64_t diskSize,
                     uint64_t setupSize);
// The catalogue's size in bytes for the records with the plan's Segments.
uint64_t PlannedCatalogueSize(const std::vector<RecordShape>& records, const DiskPlan& plan);

// Places streams of the given sizes, in order, starting on disk 1 at offset 2. Each disk
// holds diskSize bytes; on disk 1, firstDiskReserved of them (catalogue, setup program) are
// not the Volume's. A stream of 0 bytes gets no piece. Throws PackError when the disk is too
// small for its Volume header (or disk 1 for what is reserved on it), when more than 65535
// disks would be needed, or when a Volume would pass MaxVolumeSize.
DiskPlan PlanDisks(const std::vector<uint64_t>& streamSizes, uint64_t diskSize,
                   uint64_t firstDiskReserved);
