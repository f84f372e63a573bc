// File placement: target paths, the uninstaller's name, file creation and its prompts.
#include "install/placement.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"
#include "tests/support/transfer_fixture.h"

#include <gtest/gtest.h>

namespace {

class Placement : public TransferFixture {
  protected:
    const uint8_t* Record(int index) {
        const uint8_t* record = FirstRecord();
        for (int i = 0; i < index; ++i)
            record = NextRecord(record);
        return record;
    }
    // Places record number index of the loaded package into dest_.
    StatusCode Place(int index) { return PlaceFile(Record(index), dest_.c_str()); }
};

TEST_F(Placement, ExpandsRelativeNamesAndCreatesMissingDirectories) {
    auto a = PatternBytes(70000, 1), b = PatternBytes(10, 2);
    Load({.files = {{.name = "A.TXT", .bytes = a},
                    {.name = "SUB\\DEEP\\B.DAT", .bytes = b},
                    {.name = "EMPTY.TXT", .bytes = {}}}});
    ScriptedBoxes boxes;
    EXPECT_EQ(Place(0), StatusOk);
    EXPECT_EQ(Place(1), StatusOk);
    EXPECT_EQ(Place(2), StatusOk);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(box_.Read(dest_ + "A.TXT"), a);
    EXPECT_EQ(box_.Read(dest_ + "SUB\\DEEP\\B.DAT"), b);
    EXPECT_TRUE(box_.Exists(dest_ + "EMPTY.TXT"));
    EXPECT_TRUE(box_.Read(dest_ + "EMPTY.TXT").empty());
    EXPECT_EQ(UninstallerName[0], '\0');
    EXPECT_EQ(OutputHandle, PlatformNoFile);
}

TEST_F(Placement, MissingDestinationWithoutSubdirectoryIsWriteErrorUntilCancel) {
    Load({.files = {{.name = "A.TXT", .bytes = PatternBytes(5)}}});
    dest_ = box_.Path("missing\\");
    ScriptedBoxes boxes({AnswerRetry, AnswerCancel});
    EXPECT_EQ(Place(0), StatusCancelled);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, dest_ + "A.TXT: write error!");
    EXPECT_EQ(boxes.Boxes()[0].type & 0x0F, BoxRetryCancel);
    EXPECT_FALSE(box_.Exists(box_.Path("missing")));
}

TEST_F(Placement, ReadOnlyTargetAnsweredIgnoreAbortOrRetry) {
    if (!ReadOnlyIsEnforced(box_)) GTEST_SKIP() << "read-only files can be replaced here";
    Load({.files = {{.name = "A.TXT", .bytes = PatternBytes(100)}}});
    box_.Write(dest_ + "A.TXT", std::string("old contents"));
    box_.SetReadOnly(dest_ + "A.TXT", true);
    {
        ScriptedBoxes boxes({AnswerIgnore});
        EXPECT_EQ(Place(0), StatusOk);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text,
                  dest_ + "A.TXT: Setup cannot replace this file because it is write protected.");
        EXPECT_EQ(boxes.Boxes()[0].type & 0x0F, BoxAbortRetryIgnore);
    }
    {
        ScriptedBoxes boxes({AnswerAbort});
        EXPECT_EQ(Place(0), StatusCancelled);
    }
    EXPECT_EQ(box_.Read(dest_ + "A.TXT"),
              std::vector<uint8_t>({'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't', 's'}));
    {
        // The user makes the file writable, then answers Retry.
        ScriptedBoxes boxes({AnswerRetry});
        boxes.OnBox([&](const RecordedBox&) { box_.SetReadOnly(dest_ + "A.TXT", false); });
        EXPECT_EQ(Place(0), StatusOk);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
    }
    EXPECT_EQ(box_.Read(dest_ + "A.TXT"), PatternBytes(100));
}

TEST_F(Placement, PathLongerThanABufferIsRefusedNeverCut) {
    std::string name(250, 'N');
    Load({.files = {{.name = name, .bytes = PatternBytes(5)}}});
    dest_ = box_.Path(std::string(20, 'D') + "\\");
    ScriptedBoxes boxes({AnswerRetry, AnswerCancel});
    EXPECT_EQ(Place(0), StatusCancelled);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, name + ": write error!");
    EXPECT_FALSE(box_.Exists(dest_));
    EXPECT_EQ(TargetPath[0], '\0');
}

class Uninstaller : public Placement {
  protected:
    void LoadWithUninstaller(const std::string& magic = "IDSK",
                             const std::string& entry = "UNINSTAL.EXE") {
        Load({.magic = magic, .files = {{.name = entry, .bytes = PatternBytes(300, 9)}}});
    }
    // A data file whose program-name field (bytes 4 on) holds field.
    void WriteDataFile(const std::string& name, const std::string& field) {
        box_.Write(dest_ + name, "CATx" + field);
    }
    // Places the uninstaller, no answers scripted, and checks it was written as name.
    void ExpectPlacedAs(const std::string& name) {
        ScriptedBoxes boxes;
        EXPECT_EQ(Place(0), StatusOk);
        EXPECT_STREQ(UninstallerName, name.c_str());
        EXPECT_EQ(box_.Read(dest_ + name), PatternBytes(300, 9));
    }
};

TEST_F(Uninstaller, FreeNameIsUninstal) {
    LoadWithUninstaller();
    ExpectPlacedAs("uninstal.exe");
}

TEST_F(Uninstaller, OtherPackagesAndBareUninstallersAreSkipped) {
    LoadWithUninstaller();
    box_.Write(dest_ + "uninstal.exe", std::string("bare, no data file"));
    box_.Write(dest_ + "unins1.exe", std::string("other package"));
    WriteDataFile("unins1.bin", std::string("OTHER.EXE") + '\0');
    ExpectPlacedAs("unins2.exe");
    EXPECT_EQ(box_.Read(dest_ + "unins1.exe").size(), 13u);
}

TEST_F(Uninstaller, OwnUninstallerIsReplacedWhateverTheCase) {
    LoadWithUninstaller();
    box_.Write(dest_ + "uninstal.exe", std::string("ours"));
    box_.Write(dest_ + "unins1.exe", std::string("ours too, but later"));
    WriteDataFile("uninstal.bin", std::string("prog.exe") + '\0' + "trailing");
    ExpectPlacedAs("uninstal.exe");
}

// The field is compared within the bytes read: a short file ending after the name matches;
// a full 260-byte field without a terminator never matches a shorter name.
TEST_F(Uninstaller, ProgramNameIsComparedWithinTheBytesRead) {
    LoadWithUninstaller();
    box_.Write(dest_ + "uninstal.exe", std::string("x"));
    WriteDataFile("uninstal.bin", "PROG.EXE" + std::string(252, 'Z'));
    box_.Write(dest_ + "unins1.exe", std::string("x"));
    WriteDataFile("unins1.bin", "PROG.EXE");
    ExpectPlacedAs("unins1.exe");
}

TEST_F(Uninstaller, EntryInSubdirectoryOrRootedIsAnOrdinaryFile) {
    Load({.files = {{.name = "SUB\\uninstal.exe", .bytes = PatternBytes(3)}}});
    ScriptedBoxes boxes;
    EXPECT_EQ(Place(0), StatusOk);
    EXPECT_EQ(UninstallerName[0], '\0');
    EXPECT_TRUE(box_.Exists(dest_ + "SUB\\uninstal.exe"));
}

TEST_F(Uninstaller, InsvPackageNamesItAfterTheProgram) {
    LoadWithUninstaller("INSV", "Uninstal.Exe");
    box_.Write(dest_ + "uninstal.exe", std::string("someone else's"));
    box_.Write(dest_ + "PROG.exe", std::string("replaced"));
    ExpectPlacedAs("PROG.exe");
    EXPECT_EQ(box_.Read(dest_ + "uninstal.exe").size(), 14u);
}

// 'unins999.exe' is tested like every other name; when it is taken too, the package gets no
// uninstaller, the user is told, and nothing of the other packages is touched.
TEST_F(Uninstaller, Unins999IsTestedAndAllNamesTakenMeansNoUninstaller) {
    LoadWithUninstaller();
    box_.Write(dest_ + "uninstal.exe", std::string("x"));
    for (int n = 1; n <= 998; ++n)
        box_.Write(dest_ + "unins" + std::to_string(n) + ".exe", std::string("x"));
    ExpectPlacedAs("unins999.exe");
    box_.Write(dest_ + "unins999.exe", std::string("another package's"));
    ScriptedBoxes boxes({AnswerOk});
    EXPECT_EQ(Place(0), StatusOk);
    EXPECT_EQ(UninstallerName[0], '\0');
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              box_.Path("dest") + ": every uninstaller name here belongs to another "
                                  "application. Setup does not install its own uninstaller.");
    EXPECT_EQ(Text(box_.Read(dest_ + "unins999.exe")), "another package's");
}

} // namespace
