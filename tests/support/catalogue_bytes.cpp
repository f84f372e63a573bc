// Catalogue bytes for the tests, written field by field as the format lays them out.
#include "tests/support/catalogue_bytes.h"

#include <cstring>

namespace {
void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}
} // namespace

std::vector<uint8_t> RecordBytes(const RecordSpec& record) {
    std::vector<uint8_t> out;
    PutU16(out, 0); // Length, filled in below
    PutU16(out, record.flags);
    PutU16(out, record.sizeKb);
    out.insert(out.end(), record.name.begin(), record.name.end());
    out.push_back(0); // terminator
    out.push_back(0); // reserved
    if (record.flags & 6) {
        PutU32(out, record.versionMs);
        PutU32(out, record.versionLs);
    }
    for (const SegmentSpec& s : record.segments) {
        PutU16(out, s.disk);
        PutU32(out, s.offset);
        PutU32(out, s.length);
    }
    PutU16(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    uint32_t length = static_cast<uint32_t>(static_cast<int>(out.size()) + record.lengthAdjust);
    out[0] = static_cast<uint8_t>(length);
    out[1] = static_cast<uint8_t>(length >> 8);
    return out;
}

std::vector<uint8_t> CatalogueBytes(const std::string& magic, const std::string& programName,
                                    const std::string& title,
                                    const std::vector<RecordSpec>& records, int recordCount) {
    std::vector<uint8_t> out(346, 0);
    std::memcpy(out.data(), magic.data(), magic.size() < 4 ? magic.size() : 4);
    std::memcpy(out.data() + 4, programName.data(),
                programName.size() < 259 ? programName.size() : 259);
    std::memcpy(out.data() + 264, title.data(), title.size() < 79 ? title.size() : 79);
    uint32_t count = recordCount < 0 ? static_cast<uint32_t>(records.size())
                                     : static_cast<uint32_t>(recordCount);
    out[344] = static_cast<uint8_t>(count);
    out[345] = static_cast<uint8_t>(count >> 8);
    for (const RecordSpec& r : records) {
        std::vector<uint8_t> bytes = RecordBytes(r);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}
