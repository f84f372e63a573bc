// A program's icon for the desktop's menu: the first icon of a Windows executable as PNG.
#include "base/pe_icon.h"

#include "base/bytes.h"
#include "base/pe_resources.h"
#include "base/png_writer.h"

#include <array>
#include <cstring>

namespace {

constexpr uint32_t GroupHeaderSize = 6;   // GRPICONDIR: reserved, type (1), count
constexpr uint32_t GroupEntrySize = 14;   // GRPICONDIRENTRY
constexpr uint32_t BitmapHeaderSize = 40; // BITMAPINFOHEADER
constexpr uint32_t MaxSide = 256;

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
