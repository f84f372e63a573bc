// Deterministic test inputs built from a small xorshift generator.
#include "tests/support/corpus.h"

#include <array>
#include <numeric>

namespace {

struct Generator {
    uint64_t state;
    explicit Generator(uint32_t seed) : state(0x9E3779B97F4A7C15ull ^ seed) { Next(); }
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<uint32_t>(state >> 16);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

const std::array<const char*, 24> Words = {
    "the",   "file",   "disk",   "setup", "copy",    "install", "directory", "program",
    "if",    "return", "status", "while", "for",     "buffer",  "window",    "error",
    "retry", "cancel", "volume", "size",  "segment", "record",  "of",        "and"};

} // namespace

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed) {
    Generator g(seed);
    std::vector<uint8_t> out(size);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(g.Next());
    return out;
}

std::vector<uint8_t> TextBytes(size_t size, uint32_t seed) {
    Generator g(seed);
    std::string text;
    while (text.size() < size) {
        text.append(g.Below(4) * 4, ' ');
        for (uint32_t n = 3 + g.Below(9); n > 0; --n) {
            text += Words[g.Below(Words.size())];
            if (g.Below(7) == 0) text += std::to_string(g.Below(1000));
            text += n > 1 ? (g.Below(9) == 0 ? ", " : " ") : (g.Below(3) == 0 ? ";" : ".");
        }
        text += '\n';
    }
    text.resize(size);
    return {text.begin(), text.end()};
}

std::vector<uint8_t> BinaryBytes(size_t size, uint32_t seed) {
    Generator g(seed);
    std::vector<uint8_t> out;
    uint32_t address = 0x401000;
    while (out.size() < size) {
        address += 4 * (1 + g.Below(64));
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<uint8_t>(address >> shift));
        out.push_back(static_cast<uint8_t>(g.Below(16)));
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(0x8B - g.Below(3)));
        out.push_back(static_cast<uint8_t>(g.Next()));
        if (g.Below(5) == 0) {
            const char* w = Words[g.Below(Words.size())];
            while (*w)
                out.push_back(static_cast<uint8_t>(*w++));
        }
        out.insert(out.end(), g.Below(12), 0);
    }
    out.resize(size);
    return out;
}

std::vector<uint8_t> RunBytes(size_t size, uint32_t seed) {
    Generator g(seed);
    std::vector<uint8_t> out;
    while (out.size() < size)
        out.insert(out.end(), 1 + g.Below(g.Below(8) == 0 ? 400 : 20),
                   static_cast<uint8_t>(g.Next()));
    out.resize(size);
    return out;
}

std::vector<uint32_t> FibonacciWeights(int count) {
    std::vector<uint32_t> weight(count);
    uint32_t a = 1, b = 1;
    for (int k = count - 1; k >= 0; --k) {
        weight[k] = a;
        uint32_t next = a + b;
        a = b;
        b = next;
    }
    return weight;
}

// Byte k (0 to 24) turns up with weight Fib(25 - k); the rarest bytes have weight 1.
std::vector<uint8_t> SkewedBytes(size_t size, uint32_t seed) {
    std::vector<uint32_t> weight = FibonacciWeights(25);
    uint32_t total = std::accumulate(weight.begin(), weight.end(), uint32_t{0});
    Generator g(seed);
    std::vector<uint8_t> out(size);
    for (uint8_t& byte : out) {
        uint32_t pick = g.Below(total);
        int k = 0;
        while (pick >= weight[k])
            pick -= weight[k++];
        byte = static_cast<uint8_t>('A' + k);
    }
    return out;
}

std::vector<CorpusItem> CodecCorpus() {
    std::vector<CorpusItem> corpus = {
        {"empty", {}},
        {"one byte", {0x41}},
        {"two spaces", {' ', ' '}},
        {"text", TextBytes(150000, 1)},
        {"binary", BinaryBytes(150000, 2)},
        {"random", RandomBytes(120000, 3)},
        {"runs", RunBytes(200000, 4)},
        {"zeros", std::vector<uint8_t>(100000, 0)},
        {"skewed", SkewedBytes(120000, 5)},
    };
    std::vector<uint8_t> mixed;
    for (size_t i = 3; i < corpus.size(); ++i)
        mixed.insert(mixed.end(), corpus[i].bytes.begin(), corpus[i].bytes.begin() + 40000);
    corpus.push_back({"mixed kinds", mixed});
    return corpus;
}
