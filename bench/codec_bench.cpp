// LZHUF throughput: our decoder beside liblhasa's -lh1- decoder on the same streams, and our
// encoder's speed and ratio, over a mixed corpus gathered from the host at run time.
#include "lzhuf/decoder.h"
#include "lzhuf/encoder.h"
#include "lzhuf/output_writer.h"
#include "package/volume.h"

#include "bench/lhasa_peer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t TextTarget = 8u << 20;   // bytes of plain text
constexpr size_t BinaryTarget = 8u << 20; // bytes of executables
constexpr size_t RandomTarget = 4u << 20; // pseudo-random bytes
constexpr size_t FileLimit = 2u << 20;    // no single file takes more than this
constexpr int Rounds = 3;                 // each timing is the best of this many runs

struct Part {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Regular files below the roots, in name order, until target bytes are gathered; accept
// decides by a file's first bytes whether it belongs.
std::vector<uint8_t> Gather(const std::vector<std::string>& roots, size_t target,
                            bool (*accept)(const std::vector<uint8_t>&)) {
    std::vector<fs::path> files;
    for (const std::string& root : roots) {
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, error);
             it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (error) break;
            if (it->is_regular_file(error) && !it->is_symlink(error)) files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<uint8_t> out;
    for (const fs::path& path : files) {
        if (out.size() >= target) break;
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        if (bytes.empty() || bytes.size() > FileLimit || !accept(bytes)) continue;
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    if (out.size() > target) out.resize(target);
    return out;
}

bool IsPlainText(const std::vector<uint8_t>& bytes) {
    size_t n = std::min<size_t>(bytes.size(), 4096);
    for (size_t i = 0; i < n; ++i)
        if (bytes[i] < 0x09 || (bytes[i] > 0x0D && bytes[i] < 0x20)) return false;
    return true;
}

bool IsExecutable(const std::vector<uint8_t>& bytes) {
    return bytes.size() > 4 && std::memcmp(bytes.data(), "\x7F" "ELF", 4) == 0;
}

std::vector<uint8_t> PseudoRandom(size_t size) {
    std::vector<uint8_t> out(size);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (uint8_t& b : out) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        b = static_cast<uint8_t>(state >> 32);
    }
    return out;
}

template <typename F>
double BestSeconds(F run) {
    double best = 1e30;
    for (int i = 0; i < Rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

uint64_t SinkBytes;
int32_t CountingSink(const uint8_t*, uint32_t count) {
    SinkBytes += count;
    return static_cast<int32_t>(count);
}

// Our decoder over a stored stream held in memory; returns the bytes produced.
uint64_t DecodeOurs(const std::vector<uint8_t>& stream) {
    static uint8_t buffer[OutputBufferSize];
    SinkBytes = 0;
    StartMemoryStream(stream.data(), static_cast<uint32_t>(stream.size()));
    CurrentRecord = nullptr;
    StartOutput(buffer, PlatformNoFile);
    OutputSink = CountingSink;
    StatusCode status = DecodeFile();
    OutputSink = nullptr;
    return status == StatusOk ? SinkBytes : 0;
}

// liblhasa's -lh1- decoder over the same stream; the output is only counted.
uint64_t DecodeLhasa(const std::vector<uint8_t>& stream) {
    return ExpandWithLhasa(stream, [](const uint8_t*, size_t) {});
}

double MegabytesPerSecond(size_t bytes, double seconds) { return bytes / 1e6 / seconds; }

void MeasurePart(const Part& part, uint64_t* totalIn, double* oursTotal, double* lhasaTotal) {
    std::vector<uint8_t> stream;
    double encode = BestSeconds([&] { stream = EncodeStoredStream(part.bytes.data(), part.bytes.size()); });
    uint64_t ours = 0, theirs = 0;
    double decodeOurs = BestSeconds([&] { ours = DecodeOurs(stream); });
    double decodeLhasa = BestSeconds([&] { theirs = DecodeLhasa(stream); });
    size_t size = part.bytes.size();
    std::printf("%s: input bytes: %zu\n", part.name.c_str(), size);
    std::printf("%s: compressed / input: %.4f\n", part.name.c_str(), double(stream.size()) / size);
    std::printf("%s: encode MB/s: %.1f\n", part.name.c_str(), MegabytesPerSecond(size, encode));
    std::printf("%s: decode MB/s (ours): %.1f\n", part.name.c_str(), MegabytesPerSecond(size, decodeOurs));
    std::printf("%s: decode MB/s (liblhasa -lh1-): %.1f\n", part.name.c_str(), MegabytesPerSecond(size, decodeLhasa));
    std::printf("%s: decode speed ours / liblhasa: %.2f\n", part.name.c_str(), decodeLhasa / decodeOurs);
    if (ours != size || theirs != size)
        std::printf("%s: MISMATCH: ours produced %llu, liblhasa %llu of %zu bytes\n", part.name.c_str(),
                    static_cast<unsigned long long>(ours), static_cast<unsigned long long>(theirs), size);
    *totalIn += size;
    *oursTotal += decodeOurs;
    *lhasaTotal += decodeLhasa;
}

} // namespace

int main() {
    std::vector<Part> parts = {
        {"text", Gather({"/usr/share/common-licenses", "/usr/share/doc"}, TextTarget, IsPlainText)},
        {"binaries", Gather({"/usr/bin"}, BinaryTarget, IsExecutable)},
        {"random", PseudoRandom(RandomTarget)},
    };
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
