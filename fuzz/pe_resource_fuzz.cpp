// Fuzz target: any bytes as a Windows executable image, searched for its resources (the icon
// group, an icon image by id, the version) and read for its first icon as PNG and its file
// version. Every resource found must lie inside the input; a PNG made from an icon must begin
// with the PNG signature.
#include "base/pe_icon.h"
#include "base/pe_resources.h"
#include "base/pe_version.h"
#include "base/png_writer.h"

#include <cstring>
#include <vector>

namespace {

// Finds the resource of type and id in data, and traps when what it found reaches outside.
void Find(const std::vector<uint8_t>& data, uint32_t type, int64_t id) {
    PeResource found;
    if (!FindPeResource(data.data(), data.size(), type, id, &found)) return;
    const uint8_t* end = data.data() + data.size();
    if (found.data < data.data() || found.data > end ||
        found.size > static_cast<size_t>(end - found.data))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly size bytes, so that AddressSanitizer sees any read past its end.
    std::vector<uint8_t> image(data, data + size);
    Find(image, PeIconGroupType, -1);
    Find(image, PeIconType, 1);
    Find(image, PeVersionType, -1);
    std::vector<uint8_t> png = FirstIconPng(image);
    if (!png.empty() &&
        (png.size() < sizeof PngSignature || std::memcmp(png.data(), PngSignature, 8) != 0))
        __builtin_trap();
    uint32_t versionMs = 0, versionLs = 0;
    ReadPeFileVersion(image.data(), image.size(), &versionMs, &versionLs);
    return 0;
}
