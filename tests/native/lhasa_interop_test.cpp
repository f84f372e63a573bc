// Interoperability: liblhasa's -lh1- decoder, an independent standard LZHUF decoder, expands
// every stream our encoder writes, and agrees with our decoder on the reference vectors.
#include "lzhuf/encoder.h"
#include "tests/support/codec_harness.h"
#include "tests/support/corpus.h"
#include "tests/support/sandbox.h"

#include "bench/lhasa_peer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

std::vector<uint8_t> LhasaOutput(const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> out;
    ExpandWithLhasa(stream,
                    [&](const uint8_t* data, size_t n) { out.insert(out.end(), data, data + n); });
    return out;
}

TEST(LhasaInterop, LhasaExpandsOurStreamsOfTheCorpus) {
    for (const CorpusItem& item : CodecCorpus()) {
        if (item.bytes.empty()) continue; // liblhasa reads nothing for an empty stream
        std::vector<uint8_t> stream = EncodeStoredStream(item.bytes.data(), item.bytes.size());
        EXPECT_TRUE(LhasaOutput(stream) == item.bytes) << item.name;
    }
}

TEST(LhasaInterop, LhasaExpandsOurBestStreamsOfTheCorpus) {
    for (const CorpusItem& item : CodecCorpus()) {
        if (item.bytes.empty()) continue;
        std::vector<uint8_t> stream = EncodeStoredStreamBest(item.bytes.data(), item.bytes.size());
        EXPECT_TRUE(LhasaOutput(stream) == item.bytes) << item.name;
    }
}

TEST(LhasaInterop, LhasaExpandsCodesLongerThan16Bits) {
    std::vector<uint8_t> expected;
    std::vector<LzhufToken> parse = DeepCodeParse(&expected);
    std::vector<uint8_t> stream = EncodeTokens(static_cast<uint32_t>(expected.size()), parse);
    ASSERT_GE(MeasureCodes(stream).longestCode, 17u);
    EXPECT_TRUE(LhasaOutput(stream) == expected);
}

TEST(LhasaInterop, LhasaAgreesOnTheReferenceVectors) {
    int compared = 0;
    for (const std::filesystem::path& lzh : FilesEndingIn(VectorDir, ".lzh")) {
        std::vector<uint8_t> stream = ReadHostFile(lzh);
        std::filesystem::path orig = lzh;
        orig.replace_extension(".orig");
        std::vector<uint8_t> original = ReadHostFile(orig);
        if (original.empty()) continue;
        EXPECT_TRUE(LhasaOutput(stream) == original) << lzh;
        ++compared;
    }
    EXPECT_GE(compared, 16);
}

// Host executables and texts, where the host has them: real binaries in place of generated ones.
TEST(LhasaInterop, LhasaExpandsOurStreamsOfHostFiles) {
    int compared = 0;
    for (const char* path :
         {"/usr/bin/cmake", "/usr/bin/ninja", "/usr/share/common-licenses/GPL-3"}) {
        std::vector<uint8_t> bytes = ReadHostFile(path);
        if (bytes.empty()) continue;
        bytes.resize(std::min<size_t>(bytes.size(), 1u << 20));
        for (bool best : {false, true}) {
            std::vector<uint8_t> stream = best ? EncodeStoredStreamBest(bytes.data(), bytes.size())
                                               : EncodeStoredStream(bytes.data(), bytes.size());
            EXPECT_TRUE(LhasaOutput(stream) == bytes) << path << (best ? " (best)" : "");
            EXPECT_TRUE(ExpandInMemory(stream).bytes == bytes) << path << (best ? " (best)" : "");
        }
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "no host files to compress";
}

} // namespace
