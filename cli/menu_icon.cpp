// A program's icon for the desktop's menu: the first icon of a Windows executable as PNG.
#include "cli/menu_icon.h"

#include "package/catalogue.h"
#include "base/pe_resources.h"

#include <array>
#include <cstring>

namespace {

constexpr uint32_t GroupHeaderSize = 6;   // GRPICONDIR: reserved, type (1), count
constexpr uint32_t GroupEntrySize = 14;   // GRPICONDIRENTRY
constexpr uint32_t BitmapHeaderSize = 40; // BITMAPINFOHEADER
constexpr uint32_t MaxSide = 256;
const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The id of the group's best image: the widest, then the one with the most bits a pixel.
bool BestImageId(const PeResource& group, uint16_t* id) {
    if (group.size < GroupHeaderSize || ReadU16(group.data + 2) != 1) return false;
    uint32_t count = ReadU16(group.data + 4);
    uint32_t bestWidth = 0, bestBits = 0;
    bool found = false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t at = GroupHeaderSize + i * GroupEntrySize;
        if (at + GroupEntrySize > group.size) break;
        const uint8_t* entry = group.data + at;
        uint32_t width = entry[0] == 0 ? 256 : entry[0]; // 0 stands for 256
        uint32_t bits = ReadU16(entry + 6);
        if (!found || width > bestWidth || (width == bestWidth && bits > bestBits)) {
            bestWidth = width;
            bestBits = bits;
            *id = ReadU16(entry + 12);
            found = true;
        }
    }
    return found;
}

// An image as rows of RGBA bytes, top row first.
struct Rgba {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;
};

uint32_t RowBytes(uint32_t width, uint32_t bits) {
    return ((width * bits + 31) / 32) * 4;
}

// The colour of pixel x of a bitmap row as blue, green, red, alpha.
std::array<uint8_t, 4> PixelOf(const uint8_t* row, uint32_t x, uint32_t bits,
                               const uint8_t* palette, uint32_t paletteCount) {
    if (bits == 32) return {row[x * 4], row[x * 4 + 1], row[x * 4 + 2], row[x * 4 + 3]};
    if (bits == 24) return {row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 255};
    uint32_t bit = x * bits;
    uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
    if (index >= paletteCount) return {0, 0, 0, 255};
    const uint8_t* colour = palette + index * 4;
    return {colour[0], colour[1], colour[2], 255};
}

// Whether the transparency mask (1 bit a pixel, rows from the bottom up, at offset mask) marks
// pixel x, y of a w x h image as transparent; false where the image has no whole mask.
bool Masked(const PeResource& icon, uint64_t mask, uint32_t w, uint32_t h, uint32_t x, uint32_t y) {
    uint64_t rowBytes = RowBytes(w, 1);
    if (mask + rowBytes * h > icon.size) return false;
    const uint8_t* row = icon.data + mask + rowBytes * (h - 1 - y);
    return ((row[x / 8] >> (7 - x % 8)) & 1) != 0;
}

// Converts an icon image stored as a bitmap (its header, palette, colour rows and the
// transparency mask, rows from the bottom up) into RGBA. False when it is not one it reads.
bool BitmapToRgba(const PeResource& icon, Rgba* out) {
    if (icon.size < BitmapHeaderSize || ReadU32(icon.data) < BitmapHeaderSize) return false;
    uint32_t headerSize = ReadU32(icon.data);
    int32_t width = static_cast<int32_t>(ReadU32(icon.data + 4));
    int32_t doubleHeight = static_cast<int32_t>(ReadU32(icon.data + 8)); // colour + mask
    uint32_t bits = ReadU16(icon.data + 14);
    uint32_t compression = ReadU32(icon.data + 16);
    uint32_t used = ReadU32(icon.data + 32);
    if (width <= 0 || doubleHeight <= 0 || compression != 0) return false;
    uint32_t w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(doubleHeight) / 2;
    if (w > MaxSide || h == 0 || h > MaxSide) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    uint32_t paletteCount = bits <= 8 ? (used != 0 && used < (1u << bits) ? used : 1u << bits) : 0;
    uint64_t palette = headerSize, colours = palette + uint64_t{paletteCount} * 4;
    uint64_t mask = colours + uint64_t{RowBytes(w, bits)} * h;
    if (mask > icon.size) return false;
    out->width = w;
    out->height = h;
    out->pixels.assign(size_t{w} * h * 4, 0);
    bool anyAlpha = false;
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = icon.data + colours + uint64_t{RowBytes(w, bits)} * (h - 1 - y);
        for (uint32_t x = 0; x < w; ++x) {
            std::array<uint8_t, 4> bgra = PixelOf(row, x, bits, icon.data + palette, paletteCount);
            uint8_t* rgba = &out->pixels[(size_t{y} * w + x) * 4];
            rgba[0] = bgra[2];
            rgba[1] = bgra[1];
            rgba[2] = bgra[0];
            rgba[3] = bgra[3];
            anyAlpha = anyAlpha || (bits == 32 && bgra[3] != 0);
            // Without its own alpha channel, a pixel is transparent where the mask bit is set.
            if (bits != 32 && Masked(icon, mask, w, h, x, y)) rgba[3] = 0;
        }
    }
    // A 32-bit image whose alpha is all zero was drawn for the mask alone.
    if (bits == 32 && !anyAlpha)
        for (uint32_t i = 0; i < w * h; ++i)
            out->pixels[size_t{i} * 4 + 3] = Masked(icon, mask, w, h, i % w, i / w) ? 0 : 255;
    return true;
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>* png, const char* type, const std::vector<uint8_t>& body) {
    PutBigEndian(png, static_cast<uint32_t>(body.size()));
    size_t start = png->size();
    png->insert(png->end(), type, type + 4);
    png->insert(png->end(), body.begin(), body.end());
    PutBigEndian(png, Crc32(png->data() + start, png->size() - start));
}

// The scanlines (each led by filter type 0) as a zlib stream of stored deflate blocks: an icon
// is small, and stored blocks need no compressor.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        bool last = at + length == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(length));
        z.push_back(static_cast<uint8_t>(length >> 8));
        z.push_back(static_cast<uint8_t>(~length));
        z.push_back(static_cast<uint8_t>(~length >> 8));
        z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(at),
                 raw.begin() + static_cast<ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0; // Adler-32 of the uncompressed data
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(&z, (b << 16) | a);
    return z;
}

std::vector<uint8_t> EncodePng(const Rgba& image) {
    std::vector<uint8_t> png(PngSignature, PngSignature + sizeof PngSignature);
    std::vector<uint8_t> header;
    PutBigEndian(&header, image.width);
    PutBigEndian(&header, image.height);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits a channel, RGBA, no interlace
    PutChunk(&png, "IHDR", header);
    std::vector<uint8_t> raw;
    raw.reserve((size_t{image.width} * 4 + 1) * image.height);
    for (uint32_t y = 0; y < image.height; ++y) {
        raw.push_back(0);
        auto row = image.pixels.begin() + static_cast<ptrdiff_t>(size_t{y} * image.width * 4);
        raw.insert(raw.end(), row, row + static_cast<ptrdiff_t>(image.width * 4));
    }
    PutChunk(&png, "IDAT", StoredZlib(raw));
    PutChunk(&png, "IEND", {});
    return png;
}

} // namespace

std::vector<uint8_t> FirstIconPng(const std::vector<uint8_t>& exe) {
    PeResource group, icon;
    uint16_t id = 0;
    if (!FindPeResource(exe.data(), exe.size(), PeIconGroupType, -1, &group) ||
        !BestImageId(group, &id) || !FindPeResource(exe.data(), exe.size(), PeIconType, id, &icon))
        return {};
    if (icon.size >= sizeof PngSignature &&
        std::memcmp(icon.data, PngSignature, sizeof PngSignature) == 0)
        return std::vector<uint8_t>(icon.data, icon.data + icon.size);
    Rgba rgba;
    if (!BitmapToRgba(icon, &rgba)) return {};
    return EncodePng(rgba);
}
