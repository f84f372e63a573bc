// The plain copy: chunking, empty sources, subdirectories and targets that cannot be replaced.
#include "install/plain_copy.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"
#include "tests/support/transfer_fixture.h"

#include <gtest/gtest.h>

namespace {

using PlainCopy = PlainCopyFixture;

TEST_F(PlainCopy, CopiesSizesAroundTheChunkBoundary) {
    ScriptedBoxes boxes;
    for (size_t size : {size_t{0}, size_t{1}, size_t{CopyBufferSize}, size_t{CopyBufferSize + 1},
                        size_t{3 * CopyBufferSize + 17}}) {
        Source(PatternBytes(size, 3));
        EXPECT_EQ(Copy("OUT.BIN"), StatusOk) << size;
        EXPECT_EQ(box_.Read(dest_ + "OUT.BIN"), PatternBytes(size, 3)) << size;
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PlainCopy, SubdirectoriesOfTheNameAreCreatedBelowTheDestination) {
    Source(PatternBytes(10));
    ScriptedBoxes boxes;
    EXPECT_EQ(Copy("A\\B\\OUT.BIN"), StatusOk);
    EXPECT_EQ(box_.Read(dest_ + "A\\B\\OUT.BIN"), PatternBytes(10));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PlainCopy, MissingDestinationIsAWriteErrorWithoutWalk) {
    Source(PatternBytes(10));
    dest_ = box_.Path("nowhere\\");
    ScriptedBoxes boxes({AnswerCancel});
    EXPECT_EQ(Copy("OUT.BIN"), StatusCancelled);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, dest_ + "OUT.BIN: write error!");
    EXPECT_FALSE(box_.Exists(dest_));
}

TEST_F(PlainCopy, MissingSourceLeavesTheTargetUntouched) {
    box_.Write(dest_ + "OUT.BIN", std::string("keep"));
    ScriptedBoxes boxes({AnswerRetry, AnswerCancel});
    EXPECT_EQ(Copy("OUT.BIN"), StatusCancelled);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, box_.Path("setup\\SRC.BIN") + ": read error!");
    EXPECT_EQ(box_.Read(dest_ + "OUT.BIN").size(), 4u);
}

TEST_F(PlainCopy, ReadOnlyTargetWithIgnoreStaysAsItWas) {
    if (!ReadOnlyIsEnforced(box_)) GTEST_SKIP() << "read-only files can be replaced here";
    Source(PatternBytes(10));
    box_.Write(dest_ + "OUT.BIN", std::string("keep"));
    box_.SetReadOnly(dest_ + "OUT.BIN", true);
    ScriptedBoxes boxes({AnswerIgnore, AnswerAbort});
    EXPECT_EQ(Copy("OUT.BIN"), StatusOk);
    EXPECT_EQ(Copy("OUT.BIN"), StatusCancelled);
    EXPECT_EQ(box_.Read(dest_ + "OUT.BIN").size(), 4u);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST_F(PlainCopy, LongPathsAreRefusedNeverCut) {
    Source(PatternBytes(10));
    std::string name(255, 'n');
    ScriptedBoxes boxes({AnswerCancel});
    EXPECT_EQ(Copy(name), StatusCancelled);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, name + ": write error!");
}

} // namespace
