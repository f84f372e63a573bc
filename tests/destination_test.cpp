// The destination directory: proposal, free-space arithmetic, the checks of OK in their order,
// and the creation of missing directories.
#include "base/paths.h"
#include "install/destination.h"
#include "install/transfer.h"
#include "package/catalogue.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

PlatformWindow Dialog() {
    return reinterpret_cast<PlatformWindow>(0x401);
}

class DestinationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(&Header, 0, sizeof Header);
        std::strcpy(Header.ProgramName, "GAME.EXE");
        InsvPackage = false;
        RequiredKb = 0;
        std::strcpy(SetupDir, "A:\\");
    }
    void TearDown() override {
        std::memset(&Header, 0, sizeof Header);
        PlatformEnterDirectory(box_.Root().c_str());
    }
    bool Accept(const std::string& typed) {
        std::strcpy(InstallDir, typed.c_str());
        return AcceptInstallDir(Dialog());
    }
    Sandbox box_;
};

TEST_F(DestinationTest, ProposalIsTheProgramsNameInTheWindowsDirectory) {
    char windows[PathSize];
    PlatformWindowsDirectory(windows, PathSize);
    ProposeInstallDir();
    EXPECT_EQ(std::string(InstallDir), std::string(windows) + "\\GAME");
    InsvPackage = true;
    ProposeInstallDir();
    EXPECT_EQ(std::string(InstallDir), windows);
    // Without a dot in the program's name the cut falls on a dot of the directory.
    InsvPackage = false;
    std::strcpy(Header.ProgramName, "GAME");
    ProposeInstallDir();
    if (std::strchr(windows, '.') == nullptr) {
        EXPECT_EQ(std::string(InstallDir), std::string(windows) + "\\GAME");
    }
    // A name that leaves no room in the Windows directory proposes nothing, not that directory.
    std::string longest(PathSize - 3 - std::strlen(windows), 'G');
    CopyText(Header.ProgramName, sizeof Header.ProgramName, longest.c_str());
    EXPECT_TRUE(ProposeInstallDir()) << InstallDir;
    longest += 'G';
    CopyText(Header.ProgramName, sizeof Header.ProgramName, longest.c_str());
    EXPECT_FALSE(ProposeInstallDir());
    EXPECT_STREQ(InstallDir, "");
}

TEST(FreeSpace, KilobytesNeverWrapAndUnknownDisksSaySo) {
    EXPECT_EQ(KilobytesFree(8, 512, 1000), 4000u);
    EXPECT_EQ(KilobytesFree(1, 256, 3), 0u);                   // 768 bytes: less than a kilobyte
    EXPECT_EQ(KilobytesFree(64, 512, 0x00FFFFFF), 536870880u); // 32 KB clusters
    // 5 TB free: more than 32 bits of kilobytes, shown as the largest figure, not wrapped.
    EXPECT_EQ(KilobytesFree(128, 512, 0x14000000u), FreeSpaceLargest);
    EXPECT_EQ(KilobytesFree(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF), FreeSpaceLargest);
    EXPECT_EQ(FreeSpaceKb("Q:\\NOWHERE"), FreeSpaceUnknown);
    Sandbox box;
    EXPECT_NE(FreeSpaceKb((box.Root() + "ANY\\DIR").c_str()), FreeSpaceUnknown);
}

TEST_F(DestinationTest, BadFormsAndTheSetupDirectoryAreInvalid) {
    ScriptedBoxes boxes({AnswerOk, AnswerOk, AnswerOk, AnswerOk, AnswerOk, AnswerOk});
    EXPECT_FALSE(Accept("C:"));
    EXPECT_FALSE(Accept("C:GAMES")); // relative to drive C:'s current directory
    EXPECT_FALSE(Accept("GAMES"));
    EXPECT_FALSE(Accept("a:\\")); // the setup program's own directory, in another case
    // 259 characters leave no room for the backslash that OK appends.
    EXPECT_FALSE(Accept(box_.Root() + std::string(259 - box_.Root().size(), 'D')));
    // Accented letters fold too (Windows-1252 \xC4 and \xE4).
    CopyText(SetupDir, PathSize, "C:\\SPIELE\\\xC4RGER\\");
    EXPECT_FALSE(Accept("c:\\spiele\\\xE4rger"));
    ASSERT_EQ(boxes.Boxes().size(), 6u);
    for (const RecordedBox& b : boxes.Boxes()) {
        EXPECT_EQ(b.text, "Invalid directory!");
        EXPECT_EQ(b.caption, "(default)");
        EXPECT_EQ(b.owner, Dialog());
    }
}

TEST_F(DestinationTest, ExistingDirectoryIsAcceptedWithOneBackslashAndBecomesCurrent) {
    box_.MakeDirectory(box_.Path("Games"));
    ScriptedBoxes boxes;
    ASSERT_TRUE(Accept(box_.Path("Games")));
    EXPECT_EQ(std::string(InstallDir), box_.Path("Games\\"));
    ASSERT_TRUE(Accept(box_.Path("Games\\")));
    EXPECT_EQ(std::string(InstallDir), box_.Path("Games\\"));
    std::string slashed = box_.Path("Games");
    std::replace(slashed.begin(), slashed.end(), '\\', '/'); // 'C:/...', as Windows takes it
    ASSERT_TRUE(Accept(slashed));
    EXPECT_EQ(std::string(InstallDir), box_.Path("Games\\"));
    EXPECT_TRUE(boxes.Boxes().empty());
    PlatformFile f = PlatformCreate("HERE.TXT"); // relative: in the current directory
    ASSERT_NE(f, PlatformNoFile);
    PlatformClose(f);
    EXPECT_TRUE(box_.Exists(box_.Path("Games\\HERE.TXT")));
}

TEST_F(DestinationTest, LowSpaceAsksAndEachAnswerDoesItsPart) {
    box_.MakeDirectory(box_.Path("Games"));
    RequiredKb = 0xFFFFFFF0; // more than any disk has
    ScriptedBoxes boxes({AnswerAbort, AnswerRetry, AnswerIgnore});
    EXPECT_FALSE(Accept(box_.Path("Games")));
    EXPECT_TRUE(Accept(box_.Path("Games")));
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "There is not enough disk space in the target directory. Do you want to try anyway?");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Setup");
    EXPECT_EQ(boxes.Boxes()[0].type, 0x42u);
}

TEST_F(DestinationTest, RetryAfterSpaceWasFreedGoesOnWithoutAskingAgain) {
    box_.MakeDirectory(box_.Path("Games"));
    RequiredKb = 0xFFFFFFF0;
    ScriptedBoxes boxes({AnswerRetry});
    boxes.OnBox([](const RecordedBox&) { RequiredKb = 1; });
    EXPECT_TRUE(Accept(box_.Path("Games")));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(DestinationTest, MissingDirectoryIsCreatedLevelByLevelOnlyWithYes) {
    box_.MakeDirectory(box_.Path("A"));
    ScriptedBoxes boxes({AnswerNo, AnswerYes});
    EXPECT_FALSE(Accept(box_.Path("A\\B\\C")));
    EXPECT_FALSE(box_.Exists(box_.Path("A\\B")));
    ASSERT_TRUE(Accept(box_.Path("A\\B\\C\\")));
    EXPECT_EQ(std::string(InstallDir), box_.Path("A\\B\\C\\"));
    EXPECT_TRUE(box_.Exists(box_.Path("A\\B\\C")));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text.rfind(
                  "The directory " + box_.Path("A\\B\\C") + " does not exist.", 0),
              0u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "GAME.EXE");
    EXPECT_EQ(boxes.Boxes()[0].type, 0x24u);
    // The question names the directory without its trailing backslash.
    EXPECT_EQ(boxes.Boxes()[1].text.rfind(
                  "The directory " + box_.Path("A\\B\\C") + " does not exist.", 0),
              0u);
}

TEST_F(DestinationTest, FailedCreationSaysWhichDirectory) {
    box_.Write(box_.Path("FILE"), "not a directory");
    ScriptedBoxes boxes({AnswerYes, AnswerOk});
    EXPECT_FALSE(Accept(box_.Path("FILE\\SUB")));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "Cannot create " + box_.Path("FILE\\SUB\\") + "!");
    EXPECT_EQ(boxes.Boxes()[1].type, 0x30u);
}

} // namespace
