// Decoding stored streams in memory for the tests, with a sink that can fail on request.
#include "tests/support/codec_harness.h"

#include "base/paths.h"
#include "lzhuf/decoder.h"
#include "lzhuf/format.h"
#include "lzhuf/output_writer.h"
#include "package/volume.h"
#include "tests/support/corpus.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace {

Expansion* Collecting = nullptr;

int32_t CollectWrite(const uint8_t* data, uint32_t count) {
    SinkFaults& faults = CollectingSinkFaults();
    if (faults.failAfter >= 0 && faults.failAfter-- == 0) return -1;
    if (faults.shortAfter >= 0 && faults.shortAfter-- == 0 && faults.shortBytes < count)
        count = faults.shortBytes;
    Collecting->writes.push_back(count);
    Collecting->bytes.insert(Collecting->bytes.end(), data, data + count);
    return static_cast<int32_t>(count);
}

} // namespace

SinkFaults& CollectingSinkFaults() {
    static SinkFaults faults;
    return faults;
}

namespace {

StatusCode DecodeInto(const std::vector<uint8_t>& stream, const std::string& target,
                      PlatformFile file, OutputSinkFunction write, const char* streamName) {
    static uint8_t buffer[OutputBufferSize];
    StartMemoryStream(stream.data(), static_cast<uint32_t>(stream.size()), streamName);
    return ExpandInto({buffer, file, write}, target.c_str());
}

} // namespace

StatusCode DecodeMemoryStream(const std::vector<uint8_t>& stream, const std::string& target,
                              PlatformFile file, const char* streamName) {
    return DecodeInto(stream, target, file, nullptr, streamName);
}

Expansion ExpandInMemory(const std::vector<uint8_t>& stream, const char* streamName) {
    Expansion result;
    Collecting = &result;
    result.status = DecodeInto(stream, "T:\\out.bin", PlatformNoFile, CollectWrite, streamName);
    Collecting = nullptr;
    CollectingSinkFaults() = SinkFaults{};
    return result;
}

std::vector<std::filesystem::path> FilesEndingIn(const std::string& dir,
                                                 const std::string& extension) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == extension) found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

CodeStatistics MeasureCodes(const std::vector<uint8_t>& stream) {
    CodeStatistics stats;
    StartMemoryStream(stream.data(), static_cast<uint32_t>(stream.size()));
    uint32_t size = 0;
    if (ReadStoredSize(&size) != 0) return stats;
    StartSymbols();
    // Bits taken so far; exact while the stream still has bytes left to deliver.
    auto taken = [&] {
        return 8 * (static_cast<int64_t>(stream.size()) - 4 - InputCount) - BitCount;
    };
    for (uint32_t produced = 0; produced < size; ++stats.symbols) {
        int64_t before = taken();
        int s = DecodeSymbol();
        if (s < 0) break;
        if (InputCount > 0 && taken() - before > stats.longestCode)
            stats.longestCode = static_cast<unsigned>(taken() - before);
        if (s < 256) {
            ++produced;
        } else {
            DecodeMatchOffset();
            produced += static_cast<uint32_t>(s - 253);
        }
    }
    return stats;
}

namespace {

// What a decoder's window makes of tokens: spaces before 4036, output from there on.
std::vector<uint8_t> ExpandTokens(const std::vector<LzhufToken>& tokens) {
    std::array<uint8_t, RingSize> ring{};
    std::fill(ring.begin(), ring.begin() + RingStart, ' ');
    std::vector<uint8_t> out;
    int r = RingStart;
    auto put = [&](uint8_t b) {
        out.push_back(b);
        ring[r] = b;
        r = (r + 1) & RingMask;
    };
    for (const LzhufToken& t : tokens) {
        if (t.symbol < 256) {
            put(static_cast<uint8_t>(t.symbol));
            continue;
        }
        int source = (r - t.position - 1) & RingMask;
        for (int k = 0; k < t.symbol - 253; ++k)
            put(ring[(source + k) & RingMask]);
    }
    return out;
}

} // namespace

std::vector<LzhufToken> DeepCodeParse(std::vector<uint8_t>* expanded) {
    constexpr int Lengths = 9;
    std::vector<uint32_t> weight = FibonacciWeights(Lengths);
    std::array<int64_t, Lengths> credit{};
    int64_t total = std::accumulate(weight.begin(), weight.end(), int64_t{0});
    uint64_t random = 0x2545F4914F6CDD1Dull;
    auto next = [&] {
        random ^= random << 13;
        random ^= random >> 7;
        random ^= random << 17;
        return static_cast<uint32_t>(random >> 20);
    };
    std::vector<LzhufToken> tokens;
    for (int step = 1; step <= 100000; ++step) {
        if (step % 1000 == 0) {
            tokens.push_back({static_cast<uint16_t>(next() % 256), 0});
            continue;
        }
        int pick = 0;
        for (int k = 0; k < Lengths; ++k) {
            credit[k] += weight[k];
            if (credit[k] > credit[pick]) pick = k;
        }
        credit[pick] -= total;
        tokens.push_back(
            {static_cast<uint16_t>(256 + pick), static_cast<uint16_t>(next() % RingStart)});
    }
    *expanded = ExpandTokens(tokens);
    return tokens;
}
