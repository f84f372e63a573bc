// PNG files from RGBA pixels: the encoder that turns a program's icon into a desktop's icon.
#include "base/png_writer.h"

#include <cstddef>

namespace {

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

} // namespace

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
