// LZHUF throughput: our decoder beside liblhasa's -lh1- decoder on the same streams, and our
// encoder's speed and ratio, over a mixed corpus gathered from the host at run time.
#include "lzhuf/encoder.h"

#include "bench/bench_corpus.h"
#include "bench/lhasa_peer.h"

#include <cstdio>
#include <vector>

namespace {

// liblhasa's -lh1- decoder over the same stream; the output is only counted.
uint64_t DecodeLhasa(const std::vector<uint8_t>& stream) {
    return ExpandWithLhasa(stream, [](const uint8_t*, size_t) {});
}

void MeasurePart(const Part& part, uint64_t* totalIn, double* oursTotal, double* lhasaTotal) {
    std::vector<uint8_t> stream;
    double encode =
        BestSeconds([&] { stream = EncodeStoredStream(part.bytes.data(), part.bytes.size()); });
    uint64_t ours = 0, theirs = 0;
    double decodeOurs = BestSeconds([&] { ours = DecodeOurs(stream); });
    double decodeLhasa = BestSeconds([&] { theirs = DecodeLhasa(stream); });
    size_t size = part.bytes.size();
    std::printf("%s: input bytes: %zu\n", part.name.c_str(), size);
    std::printf("%s: compressed / input: %.4f\n", part.name.c_str(), double(stream.size()) / size);
    std::printf("%s: encode MB/s: %.1f\n", part.name.c_str(), MegabytesPerSecond(size, encode));
    std::vector<uint8_t> best;
    double encodeBest =
        BestSeconds([&] { best = EncodeStoredStreamBest(part.bytes.data(), part.bytes.size()); });
    std::printf("%s: compressed / input (best): %.4f\n", part.name.c_str(),
                double(best.size()) / size);
    std::printf("%s: encode MB/s (best): %.1f\n", part.name.c_str(),
                MegabytesPerSecond(size, encodeBest));
    std::printf("%s: best / default size: %.4f (%+.2f %%)\n", part.name.c_str(),
                double(best.size()) / stream.size(),
                100.0 * (double(best.size()) / stream.size() - 1));
    if (DecodeOurs(best) != size)
        std::printf("%s: MISMATCH in the best stream\n", part.name.c_str());
    std::printf("%s: decode MB/s (ours): %.1f\n", part.name.c_str(),
                MegabytesPerSecond(size, decodeOurs));
    std::printf("%s: decode MB/s (liblhasa -lh1-): %.1f\n", part.name.c_str(),
                MegabytesPerSecond(size, decodeLhasa));
    std::printf("%s: decode speed ours / liblhasa: %.2f\n", part.name.c_str(),
                decodeLhasa / decodeOurs);
    if (ours != size || theirs != size)
        std::printf("%s: MISMATCH: ours produced %llu, liblhasa %llu of %zu bytes\n",
                    part.name.c_str(), static_cast<unsigned long long>(ours),
                    static_cast<unsigned long long>(theirs), size);
    *totalIn += size;
    *oursTotal += decodeOurs;
    *lhasaTotal += decodeLhasa;
}

} // namespace

int main() {
    std::vector<Part> parts = GatherCorpus();
    uint64_t total = 0;
    double ours = 0, lhasa = 0;
    for (const Part& part : parts) {
        if (part.bytes.empty()) {
            std::printf("%s: no input found on this host\n", part.name.c_str());
            continue;
        }
        MeasurePart(part, &total, &ours, &lhasa);
    }
    std::printf("all: input bytes: %llu\n", static_cast<unsigned long long>(total));
    std::printf("all: decode MB/s (ours): %.1f\n", MegabytesPerSecond(total, ours));
    std::printf("all: decode MB/s (liblhasa -lh1-): %.1f\n", MegabytesPerSecond(total, lhasa));
    std::printf("all: decode speed ours / liblhasa: %.2f\n", lhasa / ours);
    return 0;
}
