// The benchmarks' corpus, gathered from the host, and our decoder over an in-memory stream.
#include "bench/bench_corpus.h"

#include "lzhuf/decoder.h"
#include "lzhuf/output_writer.h"
#include "package/volume.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr size_t TextTarget = 8u << 20;   // bytes of plain text
constexpr size_t BinaryTarget = 8u << 20; // bytes of executables
constexpr size_t RandomTarget = 4u << 20; // pseudo-random bytes
constexpr size_t FileLimit = 2u << 20;    // no single file takes more than this

// Regular files below the roots, in name order, until target bytes are gathered; accept
// decides by a file's first bytes whether it belongs.
std::vector<uint8_t> Gather(const std::vector<std::string>& roots, size_t target,
                            bool (*accept)(const std::vector<uint8_t>&)) {
    std::vector<fs::path> files;
    for (const std::string& root : roots) {
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(
                 root, fs::directory_options::skip_permission_denied, error);
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
    return bytes.size() > 4 && std::memcmp(bytes.data(),
                                           "\x7F"
                                           "ELF",
                                           4) == 0;
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

uint64_t SinkBytes;
int32_t CountingSink(const uint8_t*, uint32_t count) {
    SinkBytes += count;
    return static_cast<int32_t>(count);
}

} // namespace

std::vector<Part> GatherCorpus() {
    return {
        {"text", Gather({"/usr/share/common-licenses", "/usr/share/doc"}, TextTarget, IsPlainText)},
        {"binaries", Gather({"/usr/bin"}, BinaryTarget, IsExecutable)},
        {"random", PseudoRandom(RandomTarget)},
    };
}

uint64_t DecodeOurs(const std::vector<uint8_t>& stream) {
    static uint8_t buffer[OutputBufferSize];
    SinkBytes = 0;
    StartMemoryStream(stream.data(), static_cast<uint32_t>(stream.size()));
    StatusCode status = ExpandInto({buffer, PlatformNoFile, CountingSink}, "stream");
    return status == StatusOk ? SinkBytes : 0;
}
