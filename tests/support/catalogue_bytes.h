// Builds catalogue files byte by byte, sound or deliberately damaged, for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SegmentSpec {
    uint16_t disk;
    uint32_t offset;
    uint32_t length;
};

struct RecordSpec {
    std::string name;
    uint16_t flags = 0;
    uint16_t sizeKb = 0;
    uint32_t versionMs = 0, versionLs = 0; // written when flags & 6
    std::vector<SegmentSpec> segments;     // an end entry {0, 0, 0} is added
    int lengthAdjust = 0;                  // added to the record's Length field (damage)
};

// The bytes of one record, its Length field covering every field and the end entry.
std::vector<uint8_t> RecordBytes(const RecordSpec& record);

// A whole catalogue: the 346-byte header, then the records. recordCount < 0 writes the
// number of records given.
std::vector<uint8_t> CatalogueBytes(const std::string& magic, const std::string& programName,
                                    const std::string& title,
                                    const std::vector<RecordSpec>& records, int recordCount = -1);
