// Catalogue bytes for the tests, written field by field as the format lays them out.
#include "tests/support/catalogue_bytes.h"

#include "base/bytes.h"

#include <cstring>

std::vector<uint8_t> RecordBytes(const RecordSpec& record) {
    std::vector<uint8_t> out;
    AppendU16(out, 0); // Length, filled in below
    AppendU16(out, record.flags);
    AppendU16(out, record.sizeKb);
    out.insert(out.end(), record.name.begin(), record.name.end());
    out.push_back(0); // terminator
    out.push_back(0); // reserved
    if (record.flags & 6) {
        AppendU32(out, record.versionMs);
        AppendU32(out, record.versionLs);
    }
    for (const SegmentSpec& s : record.segments) {
        AppendU16(out, s.disk);
        AppendU32(out, s.offset);
        AppendU32(out, s.length);
    }
    AppendU16(out, 0);
    AppendU32(out, 0);
    AppendU32(out, 0);
    uint32_t length = static_cast<uint32_t>(static_cast<int>(out.size()) + record.lengthAdjust);
    WriteU16(&out[0], length);
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
    WriteU16(&out[344], count);
    for (const RecordSpec& r : records) {
        std::vector<uint8_t> bytes = RecordBytes(r);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}
