// The shared-file query and file versions on POSIX hosts.
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"
#include "tests/support/pe_image.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

namespace {

class SharedFiles : public ::testing::Test {
  protected:
    void SetUp() override { PosixSetSystemDirectory("C:\\WINDOWS\\SYSTEM"); }
    Sandbox box_;
};

TEST_F(SharedFiles, SharedFileQueryLooksInTheSystemThenTheApplicationDirectory) {
    char current[260], dest[260];
    box_.MakeDirectory("C:\\WINDOWS\\SYSTEM");
    box_.MakeDirectory("C:\\APP");
    // Nowhere: install into the system directory, which is not where a copy is.
    EXPECT_EQ(
        PlatformFindSharedFile("LIB.DLL", "C:\\WINDOWS", "C:\\APP\\", current, 260, dest, 260),
        uint32_t{SharedFileCurNotDest});
    EXPECT_STREQ(current, "");
    EXPECT_STREQ(dest, "C:\\WINDOWS\\SYSTEM");
    box_.Write("C:\\APP\\lib.dll", std::string("x"));
    EXPECT_EQ(
        PlatformFindSharedFile("LIB.DLL", "C:\\WINDOWS", "C:\\APP\\", current, 260, dest, 260),
        uint32_t{SharedFileCurNotDest});
    EXPECT_STREQ(current, "C:\\APP\\");
    box_.Write("C:\\WINDOWS\\SYSTEM\\LIB.DLL", std::string("x"));
    EXPECT_EQ(
        PlatformFindSharedFile("LIB.DLL", "C:\\WINDOWS", "C:\\APP\\", current, 260, dest, 260), 0u);
    EXPECT_STREQ(current, "C:\\WINDOWS\\SYSTEM");
    PosixSetFileInUse("C:\\WINDOWS\\SYSTEM\\LIB.DLL", true);
    EXPECT_EQ(
        PlatformFindSharedFile("LIB.DLL", "C:\\WINDOWS", "C:\\APP\\", current, 260, dest, 260),
        uint32_t{SharedFileInUse});
    PosixSetFileInUse("C:\\WINDOWS\\SYSTEM\\LIB.DLL", false);
    char small[4];
    EXPECT_EQ(PlatformFindSharedFile("LIB.DLL", "C:\\WINDOWS", "C:\\APP\\", small, 4, dest, 260),
              uint32_t{SharedFileBufferTooSmall});
    EXPECT_STREQ(small, "C:\\");
}

TEST_F(SharedFiles, FileVersionComesFromThePeResource) {
    PeImageOptions options;
    options.versionMs = 0x00040003;
    options.versionLs = 0x00020001;
    box_.Write("C:\\V.DLL", BuildPeImage(options));
    box_.Write("C:\\TEXT.DLL", std::string("not a PE file"));
    uint32_t ms = 0, ls = 0;
    ASSERT_TRUE(PlatformFileVersion("C:\\v.dll", &ms, &ls));
    EXPECT_EQ(ms, 0x00040003u);
    EXPECT_EQ(ls, 0x00020001u);
    EXPECT_FALSE(PlatformFileVersion("C:\\TEXT.DLL", &ms, &ls));
    EXPECT_FALSE(PlatformFileVersion("C:\\MISSING.DLL", &ms, &ls));
}

} // namespace
