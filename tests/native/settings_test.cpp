// The POSIX settings file, shared-file query and file versions.
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"
#include "tests/support/pe_image.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class Settings : public ::testing::Test {
  protected:
    void SetUp() override { PosixSetSystemDirectory("C:\\WINDOWS\\SYSTEM"); }
    Sandbox box_;
    std::string ini_ = "C:\\WINDOWS\\zom.ini";
};

TEST_F(Settings, ReadsTheLeadingDecimalNumberCaseInsensitively) {
    box_.Write(ini_, std::string("; comment\r\n[Other]\r\ngrmf=1\r\n[ SETUP ]\r\n Grmf = 12abc\r\n"
                                 "neg=-5\r\nempty=\r\nword=abc\r\n"));
    EXPECT_EQ(PlatformReadIniInt("setup", "grmf", 100, "zom.ini"), 12u);
    EXPECT_EQ(PlatformReadIniInt("Setup", "NEG", 100, "zom.ini"), static_cast<uint32_t>(-5));
    EXPECT_EQ(PlatformReadIniInt("setup", "empty", 100, "zom.ini"), 100u);
    EXPECT_EQ(PlatformReadIniInt("setup", "word", 100, "zom.ini"), 0u);
    EXPECT_EQ(PlatformReadIniInt("setup", "absent", 7, "zom.ini"), 7u);
    EXPECT_EQ(PlatformReadIniInt("nosection", "grmf", 7, "zom.ini"), 7u);
    EXPECT_EQ(PlatformReadIniInt("setup", "grmf", 7, "missing.ini"), 7u);
    EXPECT_EQ(PlatformReadIniInt("other", "grmf", 7, ini_.c_str()), 1u);
}

TEST_F(Settings, WriteKeepsEverythingElseAndUsesCrlf) {
    box_.Write(ini_, std::string("; keep me\n[setup]\nalpha=1\nGRMF=3\n\n[later]\nx=y\n"));
    EXPECT_TRUE(PlatformWriteIniString("Setup", "grmf", "35", "zom.ini"));
    EXPECT_EQ(Text(box_.Read(ini_)),
              "; keep me\r\n[setup]\r\nalpha=1\r\ngrmf=35\r\n\r\n[later]\r\nx=y\r\n");
    EXPECT_TRUE(PlatformWriteIniString("setup", "beta", "2", "zom.ini"));
    EXPECT_TRUE(PlatformWriteIniString("new", "k", "v", "zom.ini"));
    EXPECT_EQ(Text(box_.Read(ini_)), "; keep me\r\n[setup]\r\nalpha=1\r\ngrmf=35\r\nbeta=2\r\n\r\n"
                                     "[later]\r\nx=y\r\n[new]\r\nk=v\r\n");
    EXPECT_EQ(PlatformReadIniInt("setup", "grmf", 100, "zom.ini"), 35u);
}

TEST_F(Settings, WriteCreatesTheFileInTheWindowsDirectory) {
    EXPECT_TRUE(PlatformWriteIniString("setup", "grmf", "35", "zom.ini"));
    EXPECT_EQ(Text(box_.Read(ini_)), "[setup]\r\ngrmf=35\r\n");
    PosixSetWindowsDirectory("C:\\NOWHERE");
    EXPECT_FALSE(PlatformWriteIniString("setup", "grmf", "35", "zom.ini"));
}

TEST_F(Settings, AFailedWriteLeavesTheOldFileWholeAndNoTemporary) {
    std::string old = "[setup]\r\nkeep=" + std::string(4000, 'x') + "\r\n";
    box_.Write(ini_, old);
    PosixFaultPlan().shortWriteAfter = 0; // the disk fills up after 100 bytes
    PosixFaultPlan().shortWriteBytes = 100;
    EXPECT_FALSE(PlatformWriteIniString("setup", "grmf", "35", "zom.ini"));
    PosixFaultPlan().failReplaceAfter = 0;
    EXPECT_FALSE(PlatformWriteIniString("setup", "grmf", "35", "zom.ini"));
    EXPECT_EQ(Text(box_.Read(ini_)), old);
    EXPECT_EQ(std::filesystem::directory_iterator(Sandbox::Host("C:\\WINDOWS"))->path().filename(),
              "zom.ini");
}

TEST_F(Settings, SharedFileQueryLooksInTheSystemThenTheApplicationDirectory) {
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

TEST_F(Settings, FileVersionComesFromThePeResource) {
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
