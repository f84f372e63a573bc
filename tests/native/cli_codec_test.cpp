// disksetup compress and expand: round trips through files, the reference vectors, damaged
// streams and failures of the host, with the exit codes they end in.
#include "tests/support/codec_harness.h"
#include "tests/support/corpus.h"
#include "tests/support/run_command.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

CommandResult Codec(const std::string& command, const std::string& in, const std::string& out) {
    return RunDisksetup(command + " " + ShellQuote(in) + " " + ShellQuote(out));
}

class CliCodec : public ::testing::Test {
  protected:
    std::string Host(const std::string& name) { return Sandbox::Host(box_.Path(name)); }
    void WriteHost(const std::string& name, const std::vector<uint8_t>& bytes) {
        box_.Write(box_.Path(name), bytes);
    }
    Sandbox box_;
};

TEST_F(CliCodec, CompressThenExpandGivesTheFileBack) {
    std::vector<uint8_t> input = TextBytes(70000, 21);
    WriteHost("in.txt", input);
    CommandResult c = Codec("compress", Host("in.txt"), Host("in.lzh"));
    ASSERT_EQ(c.exitCode, 0) << c.err;
    std::vector<uint8_t> stream = box_.Read(box_.Path("in.lzh"));
    EXPECT_LT(stream.size(), input.size() / 2);
    EXPECT_TRUE(ExpandInMemory(stream).bytes == input);
    CommandResult e = Codec("expand", Host("in.lzh"), Host("out.txt"));
    ASSERT_EQ(e.exitCode, 0) << e.err;
    EXPECT_EQ(e.err, "");
    EXPECT_TRUE(box_.Read(box_.Path("out.txt")) == input);
    // An empty file makes a stream of only its size, and comes back empty.
    WriteHost("empty", {});
    ASSERT_EQ(Codec("compress", Host("empty"), Host("empty.lzh")).exitCode, 0);
    EXPECT_EQ(box_.Read(box_.Path("empty.lzh")), (std::vector<uint8_t>{0, 0, 0, 0}));
    ASSERT_EQ(Codec("expand", Host("empty.lzh"), Host("empty.out")).exitCode, 0);
    EXPECT_TRUE(box_.Read(box_.Path("empty.out")).empty());
}

TEST_F(CliCodec, ExpandsTheReferenceVectors) {
    for (const char* name : {"all_256", "period_4097", "rebuild_32456", "spaces_100_text"}) {
        CommandResult r = Codec("expand", VectorDir + name + ".lzh", Host("out"));
        ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err;
        EXPECT_TRUE(box_.Read(box_.Path("out")) == ReadHostFile(VectorDir + name + ".orig"))
            << name;
    }
}

TEST_F(CliCodec, DamagedStreamIsWrittenWholeAndExitsTwo) {
    std::string cut = VectorDir + "truncated/trunc_minus1.lzh";
    CommandResult r = Codec("expand", cut, Host("out"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(cut + ": read error!"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("7759 bytes"), std::string::npos) << r.err;
    EXPECT_TRUE(box_.Read(box_.Path("out")) ==
                ReadHostFile(VectorDir + "truncated/trunc_minus1.zerobits"));
    // A stream shorter than its size prefix.
    WriteHost("short.lzh", {5, 0});
    CommandResult s = Codec("expand", Host("short.lzh"), Host("out"));
    EXPECT_EQ(s.exitCode, 2);
    EXPECT_NE(s.err.find("ends inside its 4-byte size: 2 bytes"), std::string::npos) << s.err;
}

// The output is written beside OUT and moved over it only when whole: a failed expansion leaves
// the old file as it was and no temporary behind.
TEST_F(CliCodec, FailedExpandLeavesTheOldFileAndNoTemporary) {
    WriteHost("short.lzh", {5, 0});
    WriteHost("out", {'o', 'l', 'd'});
    auto entries = [&] {
        std::set<std::string> names;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(Host("out")).parent_path()))
            names.insert(entry.path().filename().string());
        return names;
    };
    std::set<std::string> before = entries();
    EXPECT_EQ(Codec("expand", Host("short.lzh"), Host("out")).exitCode, 2);
    EXPECT_TRUE(box_.Read(box_.Path("out")) == std::vector<uint8_t>({'o', 'l', 'd'}));
    EXPECT_EQ(entries(), before);
}

// 48 bytes for each stored byte is the method's best; one byte more is no stream, and nothing
// is written for it.
TEST_F(CliCodec, DeclaredSizeBeyondTheBestRatioIsRefusedBeforeWriting) {
    std::vector<uint8_t> stream = EncodeStoredStream(TextBytes(1000, 3).data(), 1000);
    uint32_t most = static_cast<uint32_t>(stream.size() - 4) * 48;
    for (uint32_t declared : {most, most + 1}) {
        for (int i = 0; i < 4; ++i)
            stream[i] = static_cast<uint8_t>(declared >> (8 * i));
        std::string out = "big" + std::to_string(declared);
        WriteHost("big.lzh", stream);
        CommandResult r = Codec("expand", Host("big.lzh"), Host(out));
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(box_.Exists(box_.Path(out)), declared == most) << r.err;
    }
}

TEST_F(CliCodec, MissingInputAndUnwritableOutput) {
    CommandResult missing = Codec("expand", Host("none.lzh"), Host("out"));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "disksetup: " + Host("none.lzh") + " is missing!\n");
    EXPECT_EQ(Codec("compress", Host("none"), Host("out")).exitCode, 2);
    // The stream's size comes from the input's; a directory has none, and no stream is left.
    box_.MakeDirectory(box_.Path("dir"));
    CommandResult directory = Codec("compress", Host("dir"), Host("dir.lzh"));
    EXPECT_EQ(directory.exitCode, 2);
    EXPECT_NE(directory.err.find("its size cannot be taken"), std::string::npos) << directory.err;
    EXPECT_FALSE(box_.Exists(box_.Path("dir.lzh")));

    WriteHost("in.lzh", EncodeStoredStream(TextBytes(100000, 2).data(), 100000));
    CommandResult full = Codec("expand", Host("in.lzh"), "/dev/full");
    EXPECT_EQ(full.exitCode, 3);
    EXPECT_NE(full.err.find("/dev/full: write error!"), std::string::npos) << full.err;
    // A stream that cannot be written whole is a write error; a device as output stays.
    CommandResult fullCompress = Codec("compress", Host("in.lzh"), "/dev/full");
    EXPECT_EQ(fullCompress.exitCode, 3);
    EXPECT_NE(fullCompress.err.find("/dev/full: write error!"), std::string::npos)
        << fullCompress.err;
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
    CommandResult noDir = Codec("compress", Host("in.lzh"), Host("no/such/dir/out"));
    EXPECT_EQ(noDir.exitCode, 3);
    EXPECT_NE(noDir.err.find("write error!"), std::string::npos) << noDir.err;
}

TEST_F(CliCodec, UsageErrorsExitOne) {
    EXPECT_EQ(RunDisksetup("expand only-one-argument").exitCode, 1);
    EXPECT_EQ(RunDisksetup("compress").exitCode, 1);
}

} // namespace
