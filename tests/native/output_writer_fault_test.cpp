// The output writer over a real target file, with a full disk and failed writes injected
// into the platform's writes.
#include "base/problem.h"
#include "lzhuf/encoder.h"
#include "platform/posix/posix_platform.h"
#include "tests/support/codec_harness.h"
#include "tests/support/corpus.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

namespace {

class OutputWriterFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        input_ = TextBytes(70000, 8);
        stream_ = EncodeStoredStream(input_.data(), input_.size());
    }
    // Expands the stream into the sandbox's out.bin through PlatformWrite.
    StatusCode Expand() {
        std::string target = box_.Path("out.bin");
        PlatformFile file = PlatformCreate(target.c_str());
        EXPECT_NE(file, PlatformNoFile);
        StatusCode status = DecodeMemoryStream(stream_, target, file);
        PlatformClose(file);
        return status;
    }
    Sandbox box_;
    std::vector<uint8_t> input_, stream_;
};

TEST_F(OutputWriterFaults, PartialWriteThenRetryLeavesEveryByteOnce) {
    ScriptedBoxes boxes({AnswerRetry, AnswerRetry});
    PosixFaultPlan().shortWriteAfter = 1; // the second block takes 1000 bytes of 32000
    PosixFaultPlan().shortWriteBytes = 1000;
    // The retry's write is short too, once more, from its own answer.
    int seen = 0;
    Problem first;
    boxes.OnBox([&seen, &first](const RecordedBox&) {
        if (++seen == 1) {
            first = LastProblem;
            PosixFaultPlan().shortWriteAfter = 0;
            PosixFaultPlan().shortWriteBytes = 7;
        }
    });
    EXPECT_EQ(Expand(), StatusOk);
    EXPECT_TRUE(box_.Read(box_.Path("out.bin")) == input_);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Disk full!");
    // The problem record names the file and what the disk did not take.
    EXPECT_EQ(first.fault, ProblemFault::WriteShort);
    EXPECT_EQ(std::string(first.path), box_.Path("out.bin"));
    EXPECT_EQ(first.found, 33000u);
    EXPECT_EQ(first.length, 31000u);
    EXPECT_EQ(first.expected, 70000u);
}

TEST_F(OutputWriterFaults, FailedWriteThenCancelReturnsTwoAndNamesTheTarget) {
    ScriptedBoxes boxes({AnswerCancel});
    PosixFaultPlan().failWriteAfter = 0;
    EXPECT_EQ(Expand(), StatusCancelled);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, box_.Path("out.bin") + ": write error!");
    EXPECT_TRUE(box_.Read(box_.Path("out.bin")).empty());
}

} // namespace
