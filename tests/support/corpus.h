// Deterministic test inputs for the codec and the packer: text, binary-like data, random
// bytes, long runs and skewed byte frequencies, the same on every platform and every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Pseudo-random bytes from seed: incompressible.
std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed);
// Lines of words from a small vocabulary, with indentation and punctuation, like source text.
std::vector<uint8_t> TextBytes(size_t size, uint32_t seed);
// Fixed-size records of little-endian numbers, small counters, zero padding and names, like
// an executable's tables and data.
std::vector<uint8_t> BinaryBytes(size_t size, uint32_t seed);
// Runs of one byte, of lengths from 1 to a few hundred, with changing bytes.
std::vector<uint8_t> RunBytes(size_t size, uint32_t seed);
// count weights falling off like the Fibonacci numbers: weight k is Fib(count - k), so the
// last two are 1. Fits 32 bits up to count 47.
std::vector<uint32_t> FibonacciWeights(int count);
// Bytes whose frequencies fall off like the Fibonacci numbers, so an adaptive Huffman code
// grows very deep (codes of 17 bits and more) while rare bytes still occur.
std::vector<uint8_t> SkewedBytes(size_t size, uint32_t seed);

struct CorpusItem {
    std::string name;
    std::vector<uint8_t> bytes;
};
// The codec's round-trip set: empty and 1-byte inputs, each kind above, inputs long enough
// for several tree rebuilds (well over 100000 symbols), and a concatenation of kinds.
std::vector<CorpusItem> CodecCorpus();
