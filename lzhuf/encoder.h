// The LZHUF compressor: turns a file's bytes into the stored stream that DecodeFile expands.
//
// Stored stream: u32 little-endian uncompressed size, then the LZHUF bit stream (LZSS over a
// 4096-byte window; literals and match lengths 3 to 60 in the adaptive Huffman code, match
// positions in the fixed 6-bit prefix code plus 6 plain bits; the last byte padded with zero
// bits). Any standard LZHUF decoder expands the bit stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Largest input that the 4-byte size prefix can describe.
constexpr uint64_t MaxEncodableSize = 0xFFFFFFFFu;

// Compresses size bytes at data into a whole stored stream (size prefix and bit stream).
// The result depends only on the input bytes. Reads exactly size bytes from data (data may
// be null when size is 0); an empty input gives the 4-byte prefix 0 and no bit stream.
// Throws std::length_error, naming the size, when size exceeds MaxEncodableSize.
std::vector<uint8_t> EncodeStoredStream(const uint8_t* data, size_t size);
