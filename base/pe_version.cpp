// Reads the fixed file version from the version resource of a Windows executable image.
#include "base/pe_version.h"

#include "base/bytes.h"
#include "base/pe_resources.h"

namespace {

constexpr uint32_t FixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t FixedInfoSize = 52; // VS_FIXEDFILEINFO

// Reads VS_FIXEDFILEINFO from a VS_VERSIONINFO block: a 6-byte header (wLength,
// wValueLength, wType), the UTF-16 key "VS_VERSION_INFO" with its NUL, padding to a 4-byte
// boundary, then the value.
bool ReadFixedInfo(const uint8_t* block, uint32_t size, uint32_t* ms, uint32_t* ls) {
    if (size < 6) return false;
    uint32_t length = ReadU16(block);
    if (length < size) size = length;
    uint32_t valueLength = ReadU16(block + 2);
    uint32_t at = 6;
    while (true) {
        if (at + 2 > size) return false;
        uint16_t unit = ReadU16(block + at);
        at += 2;
        if (unit == 0) break;
    }
    at = (at + 3) & ~3u;
    if (valueLength < FixedInfoSize || at + FixedInfoSize > size) return false;
    if (ReadU32(block + at) != FixedInfoSignature) return false;
    *ms = ReadU32(block + at + 8);
    *ls = ReadU32(block + at + 12);
    return true;
}

} // namespace

bool ReadPeFileVersion(const uint8_t* data, size_t size, uint32_t* versionMs, uint32_t* versionLs) {
    PeResource version;
    if (!FindPeResource(data, size, PeVersionType, -1, &version)) return false;
    return ReadFixedInfo(version.data, version.size, versionMs, versionLs);
}
