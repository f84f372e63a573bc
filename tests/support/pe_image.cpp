// Writes minimal PE images with or without a version resource.
#include "tests/support/pe_image.h"

#include "base/bytes.h"

#include <cstring>

namespace {

// Numbers written into b at offset at, which the image already holds.
void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    WriteU16(b.data() + at, v);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    WriteU32(b.data() + at, v);
}

constexpr uint32_t SectionRva = 0x1000;
constexpr uint32_t SectionRawSize = 0x200;

// Resource section: three directory levels (type 16, name 1, language 0x409), a data entry
// and the VS_VERSIONINFO block at offset 88 of the section.
void WriteResources(std::vector<uint8_t>& b, const PeImageOptions& o) {
    size_t r = PeResourceFileOffset;
    Put16(b, r + 14, 1); // root: one id entry
    Put32(b, r + 16, 16);
    Put32(b, r + 20, 0x80000000u | 24);
    Put16(b, r + 24 + 14, 1); // names
    Put32(b, r + 24 + 16, 1);
    Put32(b, r + 24 + 20, 0x80000000u | 48);
    Put16(b, r + 48 + 14, 1); // languages
    Put32(b, r + 48 + 16, 0x409);
    Put32(b, r + 48 + 20, 72);
    constexpr uint32_t blockSize = 40 + 52;
    Put32(b, r + 72, SectionRva + 88); // data entry: RVA, size
    Put32(b, r + 76, blockSize);
    size_t v = r + 88;
    Put16(b, v, blockSize);
    Put16(b, v + 2, 52);
    const char* key = "VS_VERSION_INFO";
    for (size_t i = 0; i < std::strlen(key); ++i)
        Put16(b, v + 6 + 2 * i, key[i]);
    size_t f = v + 40;
    Put32(b, f, 0xFEEF04BD);
    Put32(b, f + 4, 0x00010000);
    Put32(b, f + 8, o.versionMs);
    Put32(b, f + 12, o.versionLs);
    Put32(b, f + 16, o.versionMs); // product version
    Put32(b, f + 20, o.versionLs);
    Put32(b, f + 28, 0x00040004); // VOS_NT_WINDOWS32
    Put32(b, f + 32, 2);          // VFT_DLL
}

// Resource section with an icon: the root (types 3 and 14), for each type a directory of one
// name (1) and one language, the two data entries, then the icon image and the group.
void WriteIconResources(std::vector<uint8_t>& b, const PeImageOptions& o) {
    size_t r = PeResourceFileOffset;
    uint32_t image = 160, imageSize = static_cast<uint32_t>(o.icon.size());
    uint32_t group = (image + imageSize + 3) & ~3u;
    Put16(b, r + 14, 2);
    const uint32_t types[2] = {3, 14}, names[2] = {32, 80};
    for (int t = 0; t < 2; ++t) {
        Put32(b, r + 16 + 8 * t, types[t]);
        Put32(b, r + 20 + 8 * t, 0x80000000u | names[t]);
        size_t name = r + names[t]; // one name, 1, then one language
        Put16(b, name + 14, 1);
        Put32(b, name + 16, 1);
        Put32(b, name + 20, 0x80000000u | (names[t] + 24));
        Put16(b, name + 24 + 14, 1);
        Put32(b, name + 24 + 16, 0x409);
        Put32(b, name + 24 + 20, 128 + 16 * t);
    }
    Put32(b, r + 128, SectionRva + image);
    Put32(b, r + 132, imageSize);
    Put32(b, r + 144, SectionRva + group);
    Put32(b, r + 148, 20);
    std::memcpy(&b[r + image], o.icon.data(), o.icon.size());
    size_t g = r + group;
    Put16(b, g + 2, 1); // an icon
    Put16(b, g + 4, 1); // of one image
    b[g + 6] = o.iconSide;
    b[g + 7] = o.iconSide;
    Put16(b, g + 10, 1);
    Put16(b, g + 12, o.iconBits);
    Put32(b, g + 14, imageSize);
    Put16(b, g + 18, 1);
}

} // namespace

std::vector<uint8_t> BuildPeImage(const PeImageOptions& o) {
    std::vector<uint8_t> b(PeResourceFileOffset + SectionRawSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, PeHeaderOffset);
    size_t pe = PeHeaderOffset;
    std::memcpy(&b[pe], "PE\0\0", 4);
    uint32_t optionalSize = o.pe64 ? 240 : 224;
    Put16(b, pe + 4, o.pe64 ? 0x8664 : 0x14C);
    Put16(b, pe + 6, 1);
    Put16(b, pe + 20, optionalSize);
    Put16(b, pe + 22, o.pe64 ? 0x2022 : 0x2102); // executable DLL
    size_t opt = pe + 24;
    Put16(b, opt, o.pe64 ? 0x20B : 0x10B);
    Put32(b, opt + 16, 0);                                       // no entry point
    Put32(b, opt + (o.pe64 ? 24 : 28), o.pe64 ? 0 : 0x10000000); // image base (PE32)
    if (o.pe64) Put32(b, opt + 28, 0x00000001);                  // 0x180000000 (PE32+)
    Put32(b, opt + 32, 0x1000);                                  // section alignment
    Put32(b, opt + 36, 0x200);                                   // file alignment
    Put16(b, opt + 40, 4);                                       // OS version 4.0
    Put16(b, opt + 48, 4);                                       // subsystem version 4.0
    Put32(b, opt + 56, SectionRva + 0x1000);                     // size of image
    Put32(b, opt + 60, PeResourceFileOffset);                    // size of headers
    Put16(b, opt + 68, 2);                                       // subsystem: GUI
    uint32_t dirs = o.pe64 ? 112 : 96;
    Put32(b, opt + dirs - 4, 16);
    if (o.withVersion || !o.icon.empty()) {
        Put32(b, opt + dirs + 16, SectionRva);
        Put32(b, opt + dirs + 20, SectionRawSize);
    }
    size_t sec = opt + optionalSize;
    std::memcpy(&b[sec], ".rsrc", 5);
    Put32(b, sec + 8, SectionRawSize);
    Put32(b, sec + 12, SectionRva);
    Put32(b, sec + 16, SectionRawSize);
    Put32(b, sec + 20, PeResourceFileOffset);
    Put32(b, sec + 36, 0x40000040); // initialised data, readable
    if (!o.icon.empty()) {
        WriteIconResources(b, o);
    } else if (o.withVersion) {
        WriteResources(b, o);
    }
    return b;
}
