// The settings file on POSIX hosts: reading integers, writing strings, and failed writes.
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class IniFile : public ::testing::Test {
  protected:
    Sandbox box_;
    std::string ini_ = "C:\\WINDOWS\\zom.ini";
};

TEST_F(IniFile, ReadsTheLeadingDecimalNumberCaseInsensitively) {
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

TEST_F(IniFile, WriteKeepsEverythingElseAndUsesCrlf) {
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

TEST_F(IniFile, WriteCreatesTheFileInTheWindowsDirectory) {
    EXPECT_TRUE(PlatformWriteIniString("setup", "grmf", "35", "zom.ini"));
    EXPECT_EQ(Text(box_.Read(ini_)), "[setup]\r\ngrmf=35\r\n");
    PosixSetWindowsDirectory("C:\\NOWHERE");
    EXPECT_FALSE(PlatformWriteIniString("setup", "grmf", "35", "zom.ini"));
}

TEST_F(IniFile, AFailedWriteLeavesTheOldFileWholeAndNoTemporary) {
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

} // namespace
