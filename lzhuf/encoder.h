// The LZHUF compressor: turns a file's bytes into the stored stream that ExpandInto expands.
//
// Stored stream: u32 little-endian uncompressed size, then the LZHUF bit stream (LZSS over a
// 4096-byte window; literals and match lengths 3 to 60 in the adaptive Huffman code, match
// positions in the fixed 6-bit prefix code plus 6 plain bits; the last byte padded with zero
// bits). Any standard LZHUF decoder expands the bit stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// Largest input that the 4-byte size prefix can describe.
constexpr uint64_t MaxEncodableSize = 0xFFFFFFFFu;

// Where the encoder takes its input from, a block at a time. Read fills up to count bytes and
// returns how many it gave (0 only when there is nothing more); Rewind goes back to the first
// byte, for the best mode's second pass. Either may throw to abandon the encoding.
class EncoderInput {
  public:
    virtual ~EncoderInput() = default;
    virtual size_t Read(uint8_t* buffer, size_t count) = 0;
    virtual void Rewind() = 0;
};

// An open host file as input, read in blocks from its current position; Rewind seeks back to
// its start. Both throw std::runtime_error with the system's reason when the host fails.
// Does not close the file.
class FileEncoderInput : public EncoderInput {
  public:
    explicit FileEncoderInput(std::FILE* file) : file_(file) {}
    size_t Read(uint8_t* buffer, size_t count) override;
    void Rewind() override;

  private:
    std::FILE* file_;
};

// Where the stored stream goes, in blocks of a few dozen KB at most, in order. Restart drops
// everything written so far (the best mode's fallback writes the stream again).
class EncoderOutput {
  public:
    virtual ~EncoderOutput() = default;
    virtual void Write(const uint8_t* data, size_t count) = 0;
    virtual void Restart() = 0;
};

// A stream gathered in memory.
class VectorEncoderOutput : public EncoderOutput {
  public:
    explicit VectorEncoderOutput(std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    void Write(const uint8_t* data, size_t count) override {
        bytes_.insert(bytes_.end(), data, data + count);
    }
    void Restart() override { bytes_.clear(); }

  private:
    std::vector<uint8_t>& bytes_;
};

// How hard the encoder looks for a small stream. Default: the longest match at each position
// (greedy). Best: the cheapest parse of each block under the current code lengths, several
// times slower, and never larger than the default's stream (that one is kept when it is
// smaller).
enum class EncodeEffort { Default, Best };

// Encodes the size bytes that input delivers as a whole stored stream into output, holding
// under a megabyte of its own whatever the size. The result depends only on the
// input bytes and the effort. Returns the stream's length in bytes. Throws std::length_error,
// naming the size, when size exceeds MaxEncodableSize (before anything is read or written),
// and std::runtime_error naming both numbers when the input ends short of size or holds more.
uint64_t EncodeStream(EncoderInput& input, uint64_t size, EncoderOutput& output,
                      EncodeEffort effort);

// Compresses size bytes at data into a whole stored stream (size prefix and bit stream).
// Reads exactly size bytes from data (data may be null when size is 0); an empty input gives
// the 4-byte prefix 0 and no bit stream. Throws as EncodeStream does.
std::vector<uint8_t> EncodeStoredStream(const uint8_t* data, size_t size);

// The same with EncodeEffort::Best: smaller, never larger than EncodeStoredStream's result.
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
