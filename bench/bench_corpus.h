// The benchmarks' mixed corpus (plain text, executables, pseudo-random bytes gathered from the
// host at run time), best-of timing, and our decoder run over a stream held in memory.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct Part {
    std::string name;
    std::vector<uint8_t> bytes;
};

// About 8 MB of text, 8 MB of executables and 4 MB of pseudo-random bytes; a part the host
// cannot supply is empty.
std::vector<Part> GatherCorpus();

constexpr int Rounds = 3; // each timing is the best of this many runs

template <typename F>
double BestSeconds(F run) {
    double best = 1e30;
    for (int i = 0; i < Rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best) best = took.count();
    }
    return best;
}

inline double MegabytesPerSecond(uint64_t bytes, double seconds) { return bytes / 1e6 / seconds; }

// Our decoder over a stored stream held in memory, the output only counted; returns the bytes
// produced, 0 when the decoder failed.
uint64_t DecodeOurs(const std::vector<uint8_t>& stream);
