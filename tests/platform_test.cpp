// The platform seam on whichever platform the tests run: files, directories, system facts.
#include "platform/platform.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PlatformFiles, CreateWriteSeekReadAndTruncate) {
    Sandbox box;
    std::string path = box.Path("DATA.BIN");
    PlatformFile f = PlatformCreate(path.c_str());
    ASSERT_NE(f, PlatformNoFile);
    EXPECT_EQ(PlatformWrite(f, "0123456789", 10), 10);
    EXPECT_EQ(PlatformSeek(f, 0, SeekFromEnd), 10);
    EXPECT_EQ(PlatformSeek(f, 4, SeekFromStart), 4);
    EXPECT_EQ(PlatformSeek(f, 2, SeekFromCurrent), 6);
    PlatformClose(f);

    f = PlatformOpenRead(path.c_str());
    ASSERT_NE(f, PlatformNoFile);
    char buffer[16] = {};
    EXPECT_EQ(PlatformSeek(f, 3, SeekFromStart), 3);
    EXPECT_EQ(PlatformRead(f, buffer, 16), 7); // short at the end of the file
    EXPECT_STREQ(buffer, "3456789");
    EXPECT_EQ(PlatformRead(f, buffer, 16), 0);
    PlatformClose(f);

    // Creating an existing file truncates it.
    f = PlatformCreate(path.c_str());
    ASSERT_NE(f, PlatformNoFile);
    PlatformClose(f);
    EXPECT_TRUE(box.Read(path).empty());
    EXPECT_EQ(PlatformOpenRead(box.Path("MISSING.BIN").c_str()), PlatformNoFile);
    PlatformClose(PlatformNoFile); // harmless
}

TEST(PlatformFiles, ReadOnlyFilesOpenButCannotBeCreatedAnew) {
    Sandbox box;
    // Wine running as root lets the owner replace a read-only file, as the host does.
    if (!ReadOnlyIsEnforced(box)) GTEST_SKIP() << "read-only files can be replaced here";
    std::string path = box.Path("RO.TXT");
    box.Write(path, "keep");
    box.SetReadOnly(path, true);
    PlatformFile f = PlatformOpenRead(path.c_str());
    EXPECT_NE(f, PlatformNoFile);
    PlatformClose(f);
    EXPECT_EQ(PlatformCreate(path.c_str()), PlatformNoFile);
    box.SetReadOnly(path, false);
    std::vector<uint8_t> kept = box.Read(path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep");
}

TEST(PlatformDirectories, EnterMakesCurrentAndMakeCreatesOneLevel) {
    Sandbox box;
    std::string dir = box.Path("NEWDIR");
    EXPECT_FALSE(PlatformEnterDirectory(dir.c_str()));
    EXPECT_TRUE(PlatformMakeDirectory(dir.c_str()));
    EXPECT_FALSE(PlatformMakeDirectory(dir.c_str())); // exists already
    EXPECT_FALSE(PlatformMakeDirectory(box.Path("A\\B").c_str()));
    ASSERT_TRUE(PlatformEnterDirectory(dir.c_str()));
    // A relative name now lies in the current directory.
    PlatformFile f = PlatformCreate("REL.TXT");
    ASSERT_NE(f, PlatformNoFile);
    PlatformClose(f);
    EXPECT_TRUE(box.Exists(box.Path("NEWDIR\\REL.TXT")));
    // A file is not a directory.
    EXPECT_FALSE(PlatformEnterDirectory(box.Path("NEWDIR\\REL.TXT").c_str()));
    PlatformEnterDirectory(box.Root().c_str());
}

TEST(PlatformSystem, WindowsDirectoryDiskSpaceAndProgramPath) {
    Sandbox box;
    char windows[260] = {};
    uint32_t n = PlatformWindowsDirectory(windows, sizeof windows);
    ASSERT_GT(n, 2u);
    EXPECT_EQ(n, std::strlen(windows));
    EXPECT_EQ(windows[1], ':');
    char tiny[2] = {'x', 'x'};
    EXPECT_EQ(PlatformWindowsDirectory(tiny, sizeof tiny), 0u);
    EXPECT_EQ(tiny[0], '\0');

    uint32_t spc = 0, bps = 0, clusters = 0;
    std::string root = box.Root().substr(0, 3);
    ASSERT_TRUE(PlatformDiskFreeSpace(root.c_str(), &spc, &bps, &clusters));
    EXPECT_GT(spc * bps, 0u);
    EXPECT_FALSE(PlatformDiskFreeSpace("Q:\\", &spc, &bps, &clusters));

    PlatformOverrideProgramPath("A:\\SETUP.EXE");
    char program[260];
    EXPECT_EQ(PlatformProgramPath(program, sizeof program), 12u);
    EXPECT_STREQ(program, "A:\\SETUP.EXE");
    EXPECT_EQ(PlatformProgramPath(program, 4), 3u);
    EXPECT_STREQ(program, "A:\\");
    PlatformOverrideProgramPath(nullptr);
}

TEST(PlatformMemory, BlocksAreZeroFilledAndZeroSizeFails) {
    PlatformMemory handle = nullptr;
    uint8_t* block = static_cast<uint8_t*>(PlatformGlobalAlloc(100000, &handle));
    ASSERT_NE(block, nullptr);
    ASSERT_NE(handle, nullptr);
    for (int i = 0; i < 100000; i += 997)
        EXPECT_EQ(block[i], 0);
    PlatformGlobalFree(handle);
    EXPECT_EQ(PlatformGlobalAlloc(0, &handle), nullptr);
    EXPECT_EQ(handle, nullptr);
}

} // namespace
