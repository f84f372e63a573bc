// The graphics flags: reading the stored value, the driver rules of the dialog, and writing.
#include "graphics/graphics_flags.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// The Windows directory's zom.ini, where a bare "zom.ini" lives.
const char IniPath[] = "C:\\WINDOWS\\zom.ini";

// Each test starts without zom.ini. On Windows that is the real Windows directory's file, so
// a copy that was there before is put back afterwards.
class GraphicsFlagsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GraphicsFlags = -7; // anything the read must replace
        GraphicsFlagsStored = true;
        if (!saved_ && box_.Exists(IniPath)) {
            saved_ = true;
            original_ = box_.Read(IniPath);
        }
        std::filesystem::remove(Sandbox::Host(IniPath));
    }
    void TearDown() override {
        std::filesystem::remove(Sandbox::Host(IniPath));
        if (saved_) box_.Write(IniPath, original_);
    }
    // Stores text as zom.ini and performs the start-up read.
    void ReadFrom(const std::string& text) {
        box_.Write(IniPath, text);
        ReadGraphicsFlags();
    }
    Sandbox box_;
    bool saved_ = false;
    std::vector<uint8_t> original_;
};

TEST_F(GraphicsFlagsTest, NoFileSectionOrKeyGivesTheUnstoredDefault) {
    ReadGraphicsFlags();
    EXPECT_EQ(GraphicsFlags, 35);
    EXPECT_FALSE(GraphicsFlagsStored);

    SetUp();
    ReadFrom("[other]\r\ngrmf=64\r\n");
    EXPECT_EQ(GraphicsFlags, 35);
    EXPECT_FALSE(GraphicsFlagsStored);

    SetUp();
    ReadFrom("[setup]\r\nother=64\r\n");
    EXPECT_EQ(GraphicsFlags, 35);
    EXPECT_FALSE(GraphicsFlagsStored);
}

TEST_F(GraphicsFlagsTest, StoredHundredCountsAsNoValue) {
    ReadFrom("[setup]\r\ngrmf=100\r\n");
    EXPECT_EQ(GraphicsFlags, 35);
    EXPECT_FALSE(GraphicsFlagsStored);
}

TEST_F(GraphicsFlagsTest, EveryOtherStoredValueIsKeptAsItIs) {
    ReadFrom("[setup]\r\ngrmf=0\r\n");
    EXPECT_EQ(GraphicsFlags, 0);
    EXPECT_TRUE(GraphicsFlagsStored);

    ReadFrom("[setup]\r\ngrmf=419\r\n");
    EXPECT_EQ(GraphicsFlags, 419); // bits above the drivers stay until a new choice
    EXPECT_TRUE(GraphicsFlagsStored);

    ReadFrom("[setup]\r\ngrmf=35\r\n");
    EXPECT_EQ(GraphicsFlags, 35);
    EXPECT_TRUE(GraphicsFlagsStored);
}

TEST_F(GraphicsFlagsTest, TakeTreatsTheProfileResultAsSigned) {
    TakeGraphicsFlags(static_cast<uint32_t>(-5));
    EXPECT_EQ(GraphicsFlags, -5);
    EXPECT_TRUE(GraphicsFlagsStored);
    TakeGraphicsFlags(100);
    EXPECT_EQ(GraphicsFlags, 35);
    EXPECT_FALSE(GraphicsFlagsStored);
    TakeGraphicsFlags(101);
    EXPECT_EQ(GraphicsFlags, 101);
    EXPECT_TRUE(GraphicsFlagsStored);
}

TEST(GraphicsDriverRules, ButtonForFlagsPrefersOptimisedThenWinG) {
    EXPECT_EQ(GraphicsButtonForFlags(35), DriverButtonOptimised);
    EXPECT_EQ(GraphicsButtonForFlags(0x40), DriverButtonWinG);
    EXPECT_EQ(GraphicsButtonForFlags(0x60), DriverButtonOptimised); // both bits
    EXPECT_EQ(GraphicsButtonForFlags(0x1A3), DriverButtonOptimised);
    EXPECT_EQ(GraphicsButtonForFlags(0), DriverButtonStandard);
    EXPECT_EQ(GraphicsButtonForFlags(0x0F), DriverButtonStandard);
    EXPECT_EQ(GraphicsButtonForFlags(0x180), DriverButtonStandard); // other bits only
    EXPECT_EQ(GraphicsButtonForFlags(-1), DriverButtonOptimised);
}

TEST(GraphicsDriverRules, NewFlagsKeepTheLowBitsAndTheChosenDriverOnly) {
    EXPECT_EQ(GraphicsFlagsForButton(0x1A3, DriverButtonWinG), 67);
    EXPECT_EQ(GraphicsFlagsForButton(0x1A3, DriverButtonOptimised), 0x23);
    EXPECT_EQ(GraphicsFlagsForButton(0x1A3, DriverButtonStandard), 0x03);
    EXPECT_EQ(GraphicsFlagsForButton(0x60, DriverButtonOptimised), 0x20);
    EXPECT_EQ(GraphicsFlagsForButton(0x40, DriverButtonWinG), 0x40);
    EXPECT_EQ(GraphicsFlagsForButton(0, DriverButtonOptimised), 0x20);
    EXPECT_EQ(GraphicsFlagsForButton(35, DriverButtonOptimised), 35); // OK without a change
    EXPECT_EQ(GraphicsFlagsForButton(-1, DriverButtonStandard), 0x0F);
    EXPECT_EQ(GraphicsFlagsForButton(0x2F, 999), 0x0F); // unknown button: standard driver
}

TEST_F(GraphicsFlagsTest, WriteIniIntStoresSignedDecimalAndKeepsTheRest) {
    box_.Write(IniPath, "[other]\r\nkey=1\r\n[setup]\r\nnote=kept\r\ngrmf=419\r\n");
    WriteIniInt("setup", "grmf", 67, "zom.ini");
    std::string text = Text(box_.Read(IniPath));
    EXPECT_NE(text.find("grmf=67"), std::string::npos) << text;
    EXPECT_EQ(text.find("grmf=419"), std::string::npos) << text;
    EXPECT_NE(text.find("key=1"), std::string::npos) << text;
    EXPECT_NE(text.find("note=kept"), std::string::npos) << text;

    WriteIniInt("setup", "grmf", -2147483647 - 1, "zom.ini");
    EXPECT_NE(Text(box_.Read(IniPath)).find("grmf=-2147483648"), std::string::npos);
}

TEST_F(GraphicsFlagsTest, StoredFlagsReadBackAfterAFirstInstallation) {
    ReadGraphicsFlags(); // no file: the default, not stored
    StoreGraphicsFlags();
    EXPECT_NE(Text(box_.Read(IniPath)).find("grmf=35"), std::string::npos);
    ReadGraphicsFlags();
    EXPECT_EQ(GraphicsFlags, 35);
    EXPECT_TRUE(GraphicsFlagsStored);
}

} // namespace
