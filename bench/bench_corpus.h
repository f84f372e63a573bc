// The benchmarks' mixed corpus (plain text, executables, pseudo-random bytes gathered from the
// host at run time), best-of timing in processor time, and our decoder run over a stream held
// in memory.
#pragma once

#include <time.h>

#include <algorithm>
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

constexpr int Rounds = 5; // each timing is the best of this many runs

// Seconds of processor time the calling thread spent: on a shared machine the wall clock also
// counts the time other programs had the processor, which swings from run to run.
inline double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

template <typename F> double BestSeconds(F run) {
    double best = 1e30;
    for (int i = 0; i < Rounds; ++i) {
        double start = ThreadSeconds();
        run();
        best = std::min(best, ThreadSeconds() - start);
    }
    return best;
}

inline double MegabytesPerSecond(uint64_t bytes, double seconds) {
    return bytes / 1e6 / seconds;
}

// Our decoder over a stored stream held in memory, the output only counted; returns the bytes
// produced, 0 when the decoder failed.
uint64_t DecodeOurs(const std::vector<uint8_t>& stream);
