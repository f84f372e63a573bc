// Splitting the stored streams across disks.
#include "pack/disk_layout.h"

#include "pack/pack_error.h"
#include "package/catalogue.h"

#include <algorithm>
#include <string>

namespace {

void CheckDiskRoom(uint64_t diskSize, uint64_t firstDiskReserved) {
    if (diskSize <= VolumeHeaderSize)
        throw PackError("disk size " + std::to_string(diskSize) +
                        " bytes is too small: a disk needs at least " +
                        std::to_string(VolumeHeaderSize + 1) +
                        " bytes for its Volume's disk number and data");
    if (firstDiskReserved + VolumeHeaderSize > diskSize)
        throw PackError(
            "disk 1 is too small for the catalogue: " + std::to_string(firstDiskReserved) +
            " bytes of catalogue and setup program + " + std::to_string(VolumeHeaderSize) +
            " bytes of Volume header > disk size " + std::to_string(diskSize));
}

void CheckVolumeSize(uint32_t disk, uint64_t size) {
    if (size > MaxVolumeSize)
        throw PackError("the Volume of disk " + std::to_string(disk) + " would hold " +
                        std::to_string(size) + " bytes; the setup program reads at most " +
                        std::to_string(MaxVolumeSize) +
                        " bytes of a Volume (choose a smaller disk size)");
}

} // namespace

DiskPlan PlanDisks(const std::vector<uint64_t>& streamSizes, uint64_t diskSize,
                   uint64_t firstDiskReserved) {
    CheckDiskRoom(diskSize, firstDiskReserved);
    DiskPlan plan;
    uint32_t disk = 1;
    uint64_t position = VolumeHeaderSize;
    uint64_t room = diskSize - firstDiskReserved - VolumeHeaderSize;
    for (uint64_t size : streamSizes) {
        std::vector<PlannedPiece>& pieces = plan.pieces.emplace_back();
        for (uint64_t left = size; left > 0;) {
            if (room == 0) {
                plan.volumeSizes.push_back(position);
                if (++disk > MaxDiskCount)
                    throw PackError("the package needs more than " + std::to_string(MaxDiskCount) +
                                    " disks of " + std::to_string(diskSize) + " bytes");
                position = VolumeHeaderSize;
                room = diskSize - VolumeHeaderSize;
            }
            uint64_t take = std::min(left, room);
            CheckVolumeSize(disk, position + take);
            pieces.push_back({static_cast<uint16_t>(disk), static_cast<uint32_t>(position),
                              static_cast<uint32_t>(take)});
            position += take;
            room -= take;
            left -= take;
        }
    }
    plan.volumeSizes.push_back(position);
    return plan;
}

namespace {

constexpr uint64_t CatalogueHeaderBytes = CatalogueHeaderSize;
constexpr uint64_t SegmentBytes = SegmentSize;
constexpr uint64_t MaxRecordLength = 0xFFFF;

void CheckRecordLengths(const std::vector<RecordShape>& records, const DiskPlan& plan) {
    for (size_t i = 0; i < records.size(); ++i) {
        uint64_t length = records[i].fixedLength + SegmentBytes * plan.pieces[i].size();
        if (length > MaxRecordLength)
            throw PackError("record " + std::to_string(i + 1) + " \"" + records[i].name +
                            "\" would be " + std::to_string(length) + " bytes (" +
                            std::to_string(plan.pieces[i].size()) +
                            " segments); a record holds at most " +
                            std::to_string(MaxRecordLength) + " bytes (choose a larger disk size)");
    }
}

} // namespace

uint64_t PlannedCatalogueSize(const std::vector<RecordShape>& records, const DiskPlan& plan) {
    uint64_t size = CatalogueHeaderBytes;
    for (size_t i = 0; i < records.size(); ++i)
        size += records[i].fixedLength + SegmentBytes * plan.pieces[i].size();
    return size;
}

// Every split adds a Segment to the catalogue on disk 1, and a bigger catalogue may cause more
// splits, so the room kept on disk 1 grows until the catalogue fits into it. It only grows,
// and PlanDisks refuses it once it passes the disk, so the search ends.
DiskPlan PlanPackage(const std::vector<RecordShape>& records, uint64_t diskSize,
                     uint64_t setupSize) {
    std::vector<uint64_t> sizes;
    uint64_t reserved = CatalogueHeaderBytes + setupSize;
    for (const RecordShape& record : records) {
        sizes.push_back(record.streamSize);
        reserved += record.fixedLength + SegmentBytes; // at least one Segment each
    }
    for (;;) {
        DiskPlan plan = PlanDisks(sizes, diskSize, reserved);
        CheckRecordLengths(records, plan);
        uint64_t needed = PlannedCatalogueSize(records, plan) + setupSize;
        if (needed <= reserved) return plan;
        reserved = needed;
    }
}
