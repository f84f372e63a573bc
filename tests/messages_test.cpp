// Message routines: texts from the string table, captions, box types and bounded formatting.
#include "base/messages.h"
#include "package/catalogue.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

PlatformWindow Owner() {
    return reinterpret_cast<PlatformWindow>(0x1234);
}

class MessagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(&Header, 0, sizeof Header);
        std::strcpy(Header.ProgramName, "GAME.EXE");
    }
    void TearDown() override { std::memset(&Header, 0, sizeof Header); }
};

TEST_F(MessagesTest, EachRoutineShowsItsCaptionAndBoxType) {
    ScriptedBoxes boxes({AnswerOk, AnswerOk, AnswerRetry, AnswerYes, AnswerIgnore, AnswerAbort});
    EXPECT_EQ(ShowStringMessage(Owner(), MsgLowSpace, 0x42), AnswerOk);
    EXPECT_EQ(WarnString(nullptr, MsgWindowProblem), AnswerOk);
    EXPECT_EQ(AskRetryCancel(Owner(), MsgWriteError, "C:\\GAME\\A.DAT"), AnswerRetry);
    EXPECT_EQ(AskYesNo(Owner(), MsgCreateDirectory, "C:\\GAME"), AnswerYes);
    EXPECT_EQ(AskAbortRetryIgnore(Owner(), MsgWriteProtected, "C:\\GAME\\A.DAT"), AnswerIgnore);
    EXPECT_EQ(WarnFormatted(Owner(), MsgCannotCreate, "C:\\GAME\\"), AnswerAbort);
    const auto& b = boxes.Boxes();
    ASSERT_EQ(b.size(), 6u);
    EXPECT_EQ(b[0].text,
              "There is not enough disk space in the target directory. Do you want to try anyway?");
    EXPECT_EQ(b[0].caption, "Setup");
    EXPECT_EQ(b[0].type, 0x42u);
    EXPECT_EQ(b[0].owner, Owner());
    EXPECT_EQ(b[1].text, "Window problem...");
    EXPECT_EQ(b[1].caption, "(default)");
    EXPECT_EQ(b[1].type, 0x30u);
    EXPECT_EQ(b[2].text, "C:\\GAME\\A.DAT: write error!");
    EXPECT_EQ(b[2].caption, "GAME.EXE");
    EXPECT_EQ(b[2].type, 0x35u);
    EXPECT_EQ(b[3].type, 0x24u);
    EXPECT_EQ(b[4].text,
              "C:\\GAME\\A.DAT: Setup cannot replace this file because it is write protected.");
    EXPECT_EQ(b[4].type, 0x32u);
    EXPECT_EQ(b[5].text, "Cannot create C:\\GAME\\!");
    EXPECT_EQ(b[5].type, 0x30u);
    EXPECT_EQ(boxes.Unexpected(), 0);
}

TEST_F(MessagesTest, ReportStatusNamesTheSubjectOnlyForFileMessages) {
    ScriptedBoxes boxes({AnswerOk, AnswerOk, AnswerOk});
    std::strcpy(ErrorSubject, "A:\\SETUP.bin");
    ReportStatus(Owner(), MsgReadError);
    ReportStatus(Owner(), MsgNoMemory);
    ReportStatus(nullptr, MsgError);
    const auto& b = boxes.Boxes();
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].text, "A:\\SETUP.bin: read error!");
    EXPECT_EQ(b[0].caption, "GAME.EXE");
    EXPECT_EQ(b[0].type, 0x30u);
    EXPECT_EQ(b[1].text, "Not enough memory!");
    EXPECT_EQ(b[1].caption, "(default)");
    EXPECT_EQ(b[2].text, "Error!");
}

TEST_F(MessagesTest, FormattedBoxBeforeAnyHeaderHasAnEmptyCaption) {
    std::memset(&Header, 0, sizeof Header);
    ScriptedBoxes boxes({AnswerOk});
    std::strcpy(ErrorSubject, "C:\\SETUP\\SETUP.bin");
    ReportStatus(Owner(), MsgMissing);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "C:\\SETUP\\SETUP.bin is missing!");
    EXPECT_EQ(boxes.Boxes()[0].caption, "");
}

TEST_F(MessagesTest, DiskFullIgnoresItsArgumentAndDirectoryQuestionHasThreeParagraphs) {
    ScriptedBoxes boxes({AnswerCancel, AnswerNo});
    AskRetryCancel(Owner(), MsgDiskFull, "C:\\GAME\\A.DAT");
    AskYesNo(Owner(), MsgCreateDirectory, "C:\\NEW");
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Disk full!");
    EXPECT_EQ(boxes.Boxes()[1].text,
              "The directory C:\\NEW does not exist. \n\nDo you want to create it?\n\n"
              "If you choose \"No\", you will have to re-enter a different location.");
}

TEST_F(MessagesTest, FormattingIsCutAt511AndLeavesPercentSignsInArgumentsAlone) {
    ScriptedBoxes boxes({AnswerOk, AnswerOk});
    std::string longName(600, 'N');
    WarnFormatted(Owner(), MsgMissing, longName.c_str());
    WarnFormatted(Owner(), MsgReadError, "%s%n%d.DAT");
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text.size(), 511u);
    EXPECT_EQ(boxes.Boxes()[0].text, std::string(511, 'N'));
    EXPECT_EQ(boxes.Boxes()[1].text, "%s%n%d.DAT: read error!");
}

TEST_F(MessagesTest, UnknownStringShowsAnEmptyBox) {
    ScriptedBoxes boxes({AnswerOk});
    WarnString(nullptr, 999);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "");
}

// The resource build must carry every text exactly as the table defines it (quotation marks,
// line feeds), on whichever platform these tests run.
TEST(StringTable, EveryStringLoadsExactly) {
    struct Entry {
        uint32_t id;
        const char* text;
    };
    const Entry table[] = {
#define SETUP_STRING(id, name, text) {id, text},
#include "resources/strings.def"
#undef SETUP_STRING
    };
    for (const Entry& entry : table) {
        char buffer[256] = {};
        int n = PlatformLoadString(entry.id, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, entry.text) << "string " << entry.id;
        EXPECT_EQ(n, static_cast<int>(std::strlen(entry.text)));
    }
    char cut[6] = {};
    EXPECT_EQ(PlatformLoadString(StrSetupCaption, cut, 4), 3);
    EXPECT_STREQ(cut, "Set");
}

} // namespace
