// The LZHUF codec: reference vectors, damaged streams, the output writer's flushes and
// retries, and round trips of the encoder's streams through the decoder.
#include "lzhuf/decoder.h"
#include "lzhuf/encoder.h"
#include "lzhuf/format.h"
#include "lzhuf/output_writer.h"
#include "package/volume.h"
#include "tests/support/codec_harness.h"
#include "tests/support/corpus.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadOrFail(const fs::path& path) {
    bool ok = false;
    std::vector<uint8_t> bytes = ReadHostFile(path, &ok);
    EXPECT_TRUE(ok) << "cannot read " << path;
    return bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(PositionCode, TablesHoldTheStandardRuns) {
    // Run lengths of each table, as the standard position code has them.
    auto runs = [](const uint8_t* table) {
        std::vector<std::pair<int, int>> out; // value, count
        for (int i = 0; i < 256; ++i) {
            if (out.empty() || out.back().first != table[i]) out.push_back({table[i], 0});
            ++out.back().second;
        }
        return out;
    };
    auto lengths = runs(PositionLengthTable);
    EXPECT_EQ(lengths, (std::vector<std::pair<int, int>>{
                           {3, 32}, {4, 48}, {5, 64}, {6, 48}, {7, 48}, {8, 16}}));
    auto codes = runs(PositionCodeTable);
    ASSERT_EQ(codes.size(), 64u);
    EXPECT_EQ(codes[0].second, 32);
    EXPECT_EQ(codes[3].second, 16);
    EXPECT_EQ(codes[11].second, 8);
    EXPECT_EQ(codes[23].second, 4);
    EXPECT_EQ(codes[47].second, 2);
    EXPECT_EQ(codes[63].second, 1);
    for (int u = 0; u < 64; ++u)
        EXPECT_EQ(codes[u].first, u);
}

TEST(LzhufVectors, EveryVectorExpandsToItsOriginal) {
    ScriptedBoxes boxes;
    std::vector<fs::path> streams = FilesEndingIn(VectorDir, ".lzh");
    ASSERT_GE(streams.size(), 17u);
    for (const fs::path& lzh : streams) {
        fs::path orig = lzh;
        orig.replace_extension(".orig");
        Expansion out = ExpandInMemory(ReadOrFail(lzh));
        EXPECT_EQ(out.status, StatusOk) << lzh;
        EXPECT_TRUE(out.bytes == ReadOrFail(orig)) << lzh << ": " << out.bytes.size() << " bytes";
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(LzhufVectors, TruncatedStreamsYieldZeroBitOutputAndAreReportedDamaged) {
    std::vector<fs::path> streams = FilesEndingIn(VectorDir + "truncated", ".lzh");
    ASSERT_GE(streams.size(), 2u);
    for (const fs::path& lzh : streams) {
        ScriptedBoxes boxes({AnswerOk});
        fs::path zero = lzh;
        zero.replace_extension(".zerobits");
        Expansion out = ExpandInMemory(ReadOrFail(lzh), "CUT.DAT");
        EXPECT_EQ(out.status, StatusCancelled) << lzh;
        EXPECT_TRUE(out.bytes == ReadOrFail(zero)) << lzh << ": " << out.bytes.size() << " bytes";
        ASSERT_EQ(boxes.Boxes().size(), 1u) << lzh;
        EXPECT_EQ(boxes.Boxes()[0].text, "CUT.DAT: read error!");
        EXPECT_EQ(boxes.Boxes()[0].type, BoxOk | BoxIconWarning);
    }
}

TEST(LzhufDamage, EveryCutOfAStreamIsReportedButTheWholeStreamIsNot) {
    std::vector<uint8_t> stream = EncodeStoredStream(TextBytes(3000, 9).data(), 3000);
    for (size_t cut = 4; cut < stream.size(); cut += 37) {
        ScriptedBoxes boxes({AnswerOk});
        Expansion out = ExpandInMemory({stream.begin(), stream.begin() + cut});
        EXPECT_EQ(out.status, StatusCancelled) << "cut at " << cut;
        EXPECT_EQ(out.bytes.size(), 3000u) << "cut at " << cut;
        EXPECT_EQ(boxes.Boxes().size(), 1u) << "cut at " << cut;
    }
    // Dropping the last byte is damage too; the whole stream is not, although the bit input
    // looks up to two bytes past its last code.
    ScriptedBoxes damaged({AnswerOk});
    EXPECT_EQ(ExpandInMemory({stream.begin(), stream.end() - 1}).status, StatusCancelled);
    ScriptedBoxes none;
    EXPECT_EQ(ExpandInMemory(stream).status, StatusOk);
    EXPECT_TRUE(none.Boxes().empty());
}

TEST(LzhufDamage, ASizeFarBeyondTheDataStopsAfterAMegabyteOfMissingBytes) {
    // 20000 bytes from a bare size prefix still come out whole (see the truncated vectors);
    // 4 GB - 1 do not: the expansion stops, reports the damage and keeps what it made.
    std::vector<uint8_t> stream = EncodeStoredStream(TextBytes(3000, 4).data(), 3000);
    stream[0] = stream[1] = stream[2] = stream[3] = 0xFF;
    ScriptedBoxes boxes({AnswerOk});
    Expansion out = ExpandInMemory(stream, "HUGE.DAT");
    EXPECT_EQ(out.status, StatusCancelled);
    EXPECT_TRUE(StreamOverrun());
    EXPECT_EQ(StreamClaimedSize(), 0xFFFFFFFFu);
    ASSERT_GT(out.bytes.size(), 3000u);
    EXPECT_LT(out.bytes.size(), 64u << 20);
    EXPECT_TRUE(
        std::equal(out.bytes.begin(), out.bytes.begin() + 3000, TextBytes(3000, 4).begin()));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "HUGE.DAT: read error!");
}

TEST(LzhufDamage, SizePrefixDecidesWhatIsProduced) {
    ScriptedBoxes boxes;
    // A stream that ends within its size prefix fails without a message.
    EXPECT_EQ(ExpandInMemory({1, 0, 0}).status, StatusCancelled);
    // Size 0: nothing is written, whatever follows.
    Expansion empty = ExpandInMemory({0, 0, 0, 0, 0xFF, 0xFF});
    EXPECT_EQ(empty.status, StatusOk);
    EXPECT_TRUE(empty.writes.empty());
    // A size below what the codes produce cuts the last match: 61 bytes of codes, 30 wanted.
    std::vector<uint8_t> stream = EncodeStoredStream(Bytes(std::string(61, 'a')).data(), 61);
    stream[0] = 30;
    Expansion cut = ExpandInMemory(stream);
    EXPECT_EQ(cut.status, StatusOk);
    EXPECT_EQ(cut.bytes, Bytes(std::string(30, 'a')));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(OutputWriter, FlushesWholeBuffersAndTheRestAtTheEnd) {
    for (uint32_t size : {31999u, 32000u, 32001u, 64000u}) {
        std::vector<uint8_t> input = RandomBytes(size, size);
        Expansion out = ExpandInMemory(EncodeStoredStream(input.data(), input.size()));
        ASSERT_EQ(out.status, StatusOk);
        EXPECT_TRUE(out.bytes == input) << size;
        std::vector<uint32_t> expected(size / 32000, 32000u);
        if (size % 32000) expected.push_back(size % 32000);
        EXPECT_EQ(out.writes, expected) << size;
    }
}

TEST(OutputWriter, DiskFullKeepsOnlyTheUnwrittenRestForRetry) {
    std::vector<uint8_t> input = TextBytes(70000, 3);
    std::vector<uint8_t> stream = EncodeStoredStream(input.data(), input.size());
    ScriptedBoxes boxes({AnswerRetry});
    CollectingSinkFaults() = SinkFaults{1, 1234, -1}; // the second block only in part
    Expansion out = ExpandInMemory(stream);
    EXPECT_EQ(out.status, StatusOk);
    EXPECT_TRUE(out.bytes == input);
    EXPECT_EQ(out.writes, (std::vector<uint32_t>{32000, 1234, 32000 - 1234, 6000}));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Disk full!");
    EXPECT_EQ(boxes.Boxes()[0].type, BoxRetryCancel | BoxIconWarning);
}

TEST(OutputWriter, WriteFailureNamesTheTargetAndCancelStops) {
    std::vector<uint8_t> input = TextBytes(40000, 4);
    std::vector<uint8_t> stream = EncodeStoredStream(input.data(), input.size());
    {
        ScriptedBoxes boxes({AnswerCancel});
        CollectingSinkFaults() = SinkFaults{-1, 0, 0};
        Expansion out = ExpandInMemory(stream);
        EXPECT_EQ(out.status, StatusCancelled);
        EXPECT_TRUE(out.bytes.empty());
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "T:\\out.bin: write error!");
    }
    {
        // A full disk that takes nothing, then Retry: the whole block is written once.
        ScriptedBoxes boxes({AnswerRetry});
        CollectingSinkFaults() = SinkFaults{1, 0, -1};
        Expansion out = ExpandInMemory(stream);
        EXPECT_EQ(out.status, StatusOk);
        EXPECT_TRUE(out.bytes == input);
        EXPECT_EQ(out.writes, (std::vector<uint32_t>{32000, 0, 8000}));
    }
}

TEST(LzhufEncoder, StreamsOfTheCorpusExpandToTheirInput) {
    ScriptedBoxes boxes;
    for (const CorpusItem& item : CodecCorpus()) {
        std::vector<uint8_t> stream = EncodeStoredStream(item.bytes.data(), item.bytes.size());
        ASSERT_GE(stream.size(), 4u);
        EXPECT_EQ(stream[0] | stream[1] << 8 | stream[2] << 16 | uint32_t(stream[3]) << 24,
                  item.bytes.size());
        Expansion out = ExpandInMemory(stream);
        EXPECT_EQ(out.status, StatusOk) << item.name;
        EXPECT_TRUE(out.bytes == item.bytes) << item.name;
        EXPECT_EQ(EncodeStoredStream(item.bytes.data(), item.bytes.size()), stream)
            << item.name << " is not deterministic";
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

// The best mode's streams expand exactly, never exceed the default's, repeat byte for byte,
// and are strictly smaller for text, where deferred and farther-searched matches pay off.
TEST(LzhufEncoder, BestStreamsOfTheCorpusExpandAndAreNoLarger) {
    ScriptedBoxes boxes;
    for (const CorpusItem& item : CodecCorpus()) {
        std::vector<uint8_t> best = EncodeStoredStreamBest(item.bytes.data(), item.bytes.size());
        std::vector<uint8_t> normal = EncodeStoredStream(item.bytes.data(), item.bytes.size());
        EXPECT_LE(best.size(), normal.size()) << item.name;
        Expansion out = ExpandInMemory(best);
        EXPECT_EQ(out.status, StatusOk) << item.name;
        EXPECT_TRUE(out.bytes == item.bytes) << item.name;
        EXPECT_EQ(EncodeStoredStreamBest(item.bytes.data(), item.bytes.size()), best)
            << item.name << " is not deterministic";
    }
    std::vector<uint8_t> text = TextBytes(200000, 5);
    EXPECT_LT(EncodeStoredStreamBest(text.data(), text.size()).size(),
              EncodeStoredStream(text.data(), text.size()).size());
    EXPECT_TRUE(boxes.Boxes().empty());
}

// An input that gives its bytes a few hundred at a time, as a pipe or a slow disk does.
class TricklingInput : public EncoderInput {
  public:
    explicit TricklingInput(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    size_t Read(uint8_t* buffer, size_t count) override {
        size_t n = std::min({count, bytes_.size() - at_, size_t{777}});
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), n, buffer);
        at_ += n;
        return n;
    }
    void Rewind() override { at_ = 0; }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

// Streams read in pieces through the encoder's sliding window (several of its read blocks)
// are the streams of the whole input in memory, in both efforts; an input shorter or longer
// than the size it was given is refused with both numbers.
TEST(LzhufEncoder, StreamedInputGivesTheInMemoryStreamAndMustBeItsSize) {
    std::vector<uint8_t> text = TextBytes(300000, 8);
    for (EncodeEffort effort : {EncodeEffort::Default, EncodeEffort::Best}) {
        std::vector<uint8_t> streamed;
        TricklingInput input(text);
        VectorEncoderOutput output(streamed);
        uint64_t length = EncodeStream(input, text.size(), output, effort);
        EXPECT_EQ(length, streamed.size());
        EXPECT_TRUE(streamed == (effort == EncodeEffort::Best
                                     ? EncodeStoredStreamBest(text.data(), text.size())
                                     : EncodeStoredStream(text.data(), text.size())));
    }
    std::vector<uint8_t> sink;
    VectorEncoderOutput output(sink);
    TricklingInput shorter(text);
    try {
        EncodeStream(shorter, text.size() + 1, output, EncodeEffort::Default);
        ADD_FAILURE() << "a short input was taken";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "the input ended after 300000 of its 300001 bytes");
    }
    TricklingInput longer(text);
    EXPECT_THROW(EncodeStream(longer, text.size() - 1, output, EncodeEffort::Default),
                 std::runtime_error);
}

TEST(LzhufEncoder, CodesLongerThan16BitsRoundTrip) {
    std::vector<uint8_t> expected;
    std::vector<LzhufToken> parse = DeepCodeParse(&expected);
    std::vector<uint8_t> stream = EncodeTokens(static_cast<uint32_t>(expected.size()), parse);
    CodeStatistics codes = MeasureCodes(stream);
    EXPECT_GE(codes.longestCode, 17u);
    EXPECT_EQ(codes.symbols, parse.size());
    Expansion out = ExpandInMemory(stream);
    EXPECT_EQ(out.status, StatusOk);
    EXPECT_TRUE(out.bytes == expected);
}

TEST(LzhufEncoder, RandomInputRunsThroughSeveralRebuilds) {
    std::vector<uint8_t> random = RandomBytes(120000, 3);
    // One rebuild per 32768 - 314 symbols.
    EXPECT_GT(MeasureCodes(EncodeStoredStream(random.data(), random.size())).symbols, 100000u);
    EXPECT_THROW(EncodeTokens(1, {{314, 0}}), std::invalid_argument);
}

TEST(LzhufEncoder, EmptyAndTinyInputs) {
    EXPECT_EQ(EncodeStoredStream(nullptr, 0), (std::vector<uint8_t>{0, 0, 0, 0}));
    std::vector<uint8_t> one = EncodeStoredStream(Bytes("A").data(), 1);
    // One literal with its 9-bit start code, padded: two bytes after the size.
    EXPECT_EQ(one.size(), 6u);
    // Spaces at the start match into the window's initial spaces: one match, no literal.
    std::vector<uint8_t> spaces = EncodeStoredStream(Bytes(std::string(60, ' ')).data(), 60);
    EXPECT_LE(spaces.size(), 4u + 3u);
    EXPECT_EQ(ExpandInMemory(spaces).bytes, Bytes(std::string(60, ' ')));
}

} // namespace
