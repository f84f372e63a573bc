// Windows paths on the POSIX host: drive mapping, '..' that never climbs above a root,
// components matched without regard to case, what counts as a file or directory, and drives
// mapped onto disk images.
#include "fat/image_reader.h"
#include "fat/image_writer.h"
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"
#include "tests/support/cli_fixture.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(PosixPaths, DriveLettersMapOntoHostDirectoriesInEitherCase) {
    Sandbox box;
    std::string root = PosixDriveRoot('T');
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(PosixDriveRoot('t'), root);
    EXPECT_EQ(PosixHostPath("T:\\A\\B.TXT"), root + "/A/B.TXT");
    EXPECT_EQ(PosixHostPath("t:/A/B.TXT"), root + "/A/B.TXT");
    EXPECT_EQ(PosixHostPath("Q:\\A"), "");                // not mapped
    EXPECT_EQ(PosixHostPath("\\\\SERVER\\SHARE\\A"), ""); // UNC names nothing here
    EXPECT_EQ(PosixWindowsPath(root + "/A/B.TXT"), "T:\\A\\B.TXT");
    EXPECT_EQ(PosixWindowsPath("/elsewhere/x"), "");
}

// With the kernel's resolution, and with the walk that follows no link at all.
TEST(PosixPaths, NoFileIsWrittenOrDeletedThroughALinkLeadingOutOfTheDrive) {
    for (bool walk : {false, true}) {
        Sandbox box;
        PosixResolveByWalkOnly(walk);
        fs::path root = PosixDriveRoot('C'), outside = fs::path(PosixDriveRoot('T')) / "outside";
        WriteHostFile(outside / "F.TXT", std::string("theirs"));
        fs::create_symlink(outside, root / "levels");
        fs::create_directories(root / "IN");
        fs::create_symlink("IN", root / "NEAR");
        EXPECT_EQ(PlatformCreateNew("C:\\LEVELS\\NEW.TXT"), PlatformNoFile);
        EXPECT_EQ(PlatformCreate("C:\\LEVELS\\F.TXT"), PlatformNoFile);
        EXPECT_EQ(PlatformDeleteFile("C:\\LEVELS\\F.TXT"), DeleteRefused);
        EXPECT_FALSE(PlatformMakeDirectory("C:\\LEVELS\\D"));
        EXPECT_FALSE(PlatformReplaceFile("C:\\IN\\X", "C:\\LEVELS\\F.TXT"));
        EXPECT_EQ(PosixTakeRefusedLinks(),
                  std::vector<std::string>{(root / "levels").string() +
                                           ": a symbolic link that leads out of " + root.string() +
                                           "; not followed"});
        EXPECT_EQ(TreeBelow(outside), (std::map<std::string, std::string>{{"F.TXT", "theirs"}}));
        // A link that stays below the root is followed where the kernel resolves beneath.
        PlatformFile near = PlatformCreateNew("C:\\NEAR\\NEW.TXT");
        EXPECT_EQ(near != PlatformNoFile, !walk);
        PlatformClose(near);
        PosixTakeRefusedLinks();
        // The link itself is below the root: deleting it leaves its target.
        EXPECT_EQ(PlatformDeleteFile("C:\\LEVELS"), DeleteDone);
        EXPECT_TRUE(fs::exists(outside / "F.TXT"));
    }
    PosixResolveByWalkOnly(false);
}

TEST(PosixPaths, ImageDrivesServeTheirFilesReadOnly) {
    Sandbox box;
    std::vector<uint8_t> data = {'a', 'b', 'c'}, image;
    ASSERT_EQ(MakeFloppyImage(*FloppyGeometry(720), "", 1, {{"Data File.bin", &data}}, &image), "");
    std::string problem;
    PosixMapDriveImage('I', "/x/disk.img", OpenFatImage(image, &problem));
    EXPECT_EQ(PosixHostPath("I:\\DATA FILE.BIN"), "/x/disk.img/Data File.bin");
    PlatformFile file = PlatformOpenRead("i:\\data file.bin");
    ASSERT_NE(file, PlatformNoFile);
    uint8_t buffer[8];
    EXPECT_EQ(PlatformSeek(file, 1, SeekFromStart), 1);
    EXPECT_EQ(PlatformRead(file, buffer, sizeof buffer), 2);
    EXPECT_EQ(buffer[1], 'c');
    EXPECT_EQ(PlatformSeek(file, 10, SeekFromEnd), 13);
    EXPECT_EQ(PlatformRead(file, buffer, sizeof buffer), 0);
    EXPECT_EQ(PlatformWrite(file, buffer, 1), -1);
    PlatformClose(file);
    EXPECT_EQ(PlatformOpenRead("I:\\"), PlatformNoFile); // a directory is no file
    EXPECT_EQ(PlatformCreate("I:\\NEW.TXT"), PlatformNoFile);
    EXPECT_FALSE(PlatformMakeDirectory("I:\\DIR"));
    EXPECT_TRUE(PlatformEnterDirectory("I:\\"));
    EXPECT_FALSE(PlatformEnterDirectory("I:\\DATA FILE.BIN"));
    EXPECT_TRUE(PlatformEnterDirectory(box.Root().c_str()));
    PosixMapDrive('I', "");
}

TEST(PosixPaths, DotDotIsLexicalAndStopsAtTheRoot) {
    Sandbox box;
    std::string root = PosixDriveRoot('T');
    EXPECT_EQ(PosixHostPath("T:\\A\\..\\..\\..\\X"), root + "/X");
    EXPECT_EQ(PosixHostPath("T:\\..\\etc\\passwd"), root + "/etc/passwd");
    EXPECT_EQ(PosixHostPath("T:\\A\\.\\B\\..\\C"), root + "/A/C");
}

TEST(PosixPaths, ExistingComponentsMatchWithoutRegardToCaseNewOnesKeepTheirs) {
    Sandbox box;
    box.Write(box.Path("Games\\Space\\Data.Bin"), "x");
    std::string root = PosixDriveRoot('T');
    EXPECT_EQ(PosixHostPath("T:\\GAMES\\space\\DATA.BIN"), root + "/Games/Space/Data.Bin");
    EXPECT_EQ(PosixHostPath("T:\\games\\NEW\\File"), root + "/Games/NEW/File");
    PlatformFile f = PlatformOpenRead("T:\\GAMES\\SPACE\\DATA.BIN");
    ASSERT_NE(f, PlatformNoFile);
    char c = 0;
    EXPECT_EQ(PlatformRead(f, &c, 1), 1);
    EXPECT_EQ(c, 'x');
    PlatformClose(f);
}

TEST(PosixPaths, CurrentDirectoryResolvesRelativeAndRootedNames) {
    Sandbox box;
    box.MakeDirectory(box.Path("Dir\\Sub"));
    std::string root = PosixDriveRoot('T');
    EXPECT_FALSE(PlatformEnterDirectory("T:\\Missing"));
    ASSERT_TRUE(PlatformEnterDirectory("T:\\DIR\\sub"));
    EXPECT_EQ(PosixCurrentDirectory(), "T:\\DIR\\sub\\"); // kept as given, as Windows does
    EXPECT_EQ(PosixHostPath("file.txt"), root + "/Dir/Sub/file.txt");
    EXPECT_EQ(PosixHostPath("\\top.txt"), root + "/top.txt");
    EXPECT_EQ(PosixHostPath("T:rel.txt"), root + "/Dir/Sub/rel.txt");
    EXPECT_EQ(PosixHostPath("C:rel.txt"), PosixDriveRoot('C') + "/rel.txt");
}

TEST(PosixFiles, DirectoriesAreNotFilesAndReadOnlyFilesCannotBeRecreated) {
    Sandbox box;
    box.MakeDirectory(box.Path("Dir"));
    EXPECT_EQ(PlatformOpenRead("T:\\Dir"), PlatformNoFile);
    EXPECT_EQ(PlatformCreate("T:\\Dir"), PlatformNoFile);
    box.Write(box.Path("RO.TXT"), "keep");
    box.SetReadOnly(box.Path("RO.TXT"), true);
    EXPECT_EQ(PlatformCreate("T:\\RO.TXT"), PlatformNoFile); // even for root
    box.SetReadOnly(box.Path("RO.TXT"), false);
    std::vector<uint8_t> kept = box.Read(box.Path("RO.TXT"));
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep");
    EXPECT_TRUE(PlatformMakeDirectory("T:\\New"));
    EXPECT_FALSE(PlatformMakeDirectory("T:\\New"));
    EXPECT_FALSE(PlatformMakeDirectory("T:\\A\\B")); // one level at a time
}

TEST(PosixFiles, InjectedFaultsStrikeOnceAtTheirCall) {
    Sandbox box;
    box.Write(box.Path("F.BIN"), std::string(100, 'a'));
    PosixFaultPlan().shortReadAfter = 1;
    PosixFaultPlan().shortReadBytes = 10;
    PlatformFile f = PlatformOpenRead("T:\\F.BIN");
    char buffer[100];
    EXPECT_EQ(PlatformRead(f, buffer, 20), 20);
    EXPECT_EQ(PlatformRead(f, buffer, 20), 10);
    EXPECT_EQ(PlatformRead(f, buffer, 20), 20);
    PlatformClose(f);
    PosixFaultPlan().failAllocAfter = 0;
    PlatformMemory handle;
    EXPECT_EQ(PlatformGlobalAlloc(10, &handle), nullptr);
    void* block = PlatformGlobalAlloc(10, &handle);
    EXPECT_NE(block, nullptr);
    PlatformGlobalFree(handle);
}

} // namespace
