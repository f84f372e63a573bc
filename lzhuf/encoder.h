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

// The same stored stream format, parsed harder for a smaller result: longer match searches
// and a one-position look-ahead that takes a literal when the next position starts a longer
// match. Never larger than EncodeStoredStream's result for the same input; deterministic;
// several times slower. Throws as EncodeStoredStream does.
std::vector<uint8_t> EncodeStoredStreamBest(const uint8_t* data, size_t size);

// One step of a parse: a literal (symbol 0 to 255) or a match of length symbol - 253 (symbols
// 256 to 313) whose source lies position + 1 bytes back in the window.
struct LzhufToken {
    uint16_t symbol;
    uint16_t position; // 0 to 4095; ignored for literals
};

// Codes a given parse as a stored stream whose size prefix says size; the tokens must expand
// to exactly size bytes for a decoder to produce them all. For tests and tools that bring
// their own parse. Throws std::invalid_argument, naming the token, for a symbol above 313 or
// a position above 4095.
std::vector<uint8_t> EncodeTokens(uint32_t size, const std::vector<LzhufToken>& tokens);
