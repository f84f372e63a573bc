// PNG files from RGBA pixels: the encoder that turns a program's icon into a desktop's icon.
#pragma once

#include <cstdint>
#include <vector>

// The eight bytes every PNG file begins with.
constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// An image as rows of RGBA bytes (8 bits a channel), top row first.
struct Rgba {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> pixels; // width * height * 4 bytes
};

// The bytes of a PNG file holding image: 8 bits a channel, RGBA, no interlace, its pixels in
// stored (uncompressed) deflate blocks.
std::vector<uint8_t> EncodePng(const Rgba& image);
