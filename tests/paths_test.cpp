// Path helpers: extension replacement, trailing backslashes, bounded copies.
#include "base/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Replaced(const char* path, const char* extension) {
    char buffer[260];
    std::strcpy(buffer, path);
    EXPECT_TRUE(ReplaceExtension(buffer, sizeof buffer, extension));
    return buffer;
}

std::string Stripped(const char* path) {
    char buffer[260];
    std::strcpy(buffer, path);
    StripBackslash(buffer);
    return buffer;
}

std::string Appended(const char* path) {
    char buffer[260];
    std::strcpy(buffer, path);
    EXPECT_TRUE(AppendBackslash(buffer, sizeof buffer));
    return buffer;
}

TEST(ReplaceExtension, ReplacesFromTheLastDotOrAppends) {
    EXPECT_EQ(Replaced("C:\\DIR.X\\SETUP", ".bin"), "C:\\DIR.X\\SETUP.bin");
    EXPECT_EQ(Replaced("NAME.", ".bin"), "NAME.bin");
    EXPECT_EQ(Replaced("GAME.EXE", ".dat"), "GAME.dat");
    EXPECT_EQ(Replaced("NAME", ".bin"), "NAME.bin");
    EXPECT_EQ(Replaced("A:\\MY.SETUP.EXE", ".bin"), "A:\\MY.SETUP.bin");
    EXPECT_EQ(Replaced("uninstal.bin", ".exe"), "uninstal.exe");
}

TEST(ReplaceExtension, RefusesWhatDoesNotFitAndLeavesThePathAlone) {
    char buffer[8] = "ABCDEFG"; // 7 characters, full
    EXPECT_FALSE(ReplaceExtension(buffer, sizeof buffer, ".bin"));
    EXPECT_STREQ(buffer, "ABCDEFG");
    char dotted[8] = "AB.C";
    EXPECT_FALSE(ReplaceExtension(dotted, sizeof dotted, ".longer"));
    EXPECT_STREQ(dotted, "AB.C");
    EXPECT_TRUE(ReplaceExtension(dotted, sizeof dotted, ".bin"));
    EXPECT_STREQ(dotted, "AB.bin");
}

TEST(StripBackslash, KeepsRootsAndRemovesOnlyOne) {
    EXPECT_EQ(Stripped("C:\\"), "C:\\");
    EXPECT_EQ(Stripped("C:\\GAMES\\"), "C:\\GAMES");
    EXPECT_EQ(Stripped("C:\\GAMES\\\\"), "C:\\GAMES\\");
    EXPECT_EQ(Stripped("C:\\GAMES"), "C:\\GAMES");
    EXPECT_EQ(Stripped(""), "");
}

TEST(AppendBackslash, AddsOneToNonEmptyPaths) {
    EXPECT_EQ(Appended(""), "");
    EXPECT_EQ(Appended("C:"), "C:\\");
    EXPECT_EQ(Appended("C:\\GAMES\\"), "C:\\GAMES\\");
    char full[4] = "ABC";
    EXPECT_FALSE(AppendBackslash(full, sizeof full));
    EXPECT_STREQ(full, "ABC");
}

TEST(TextHelpers, CopyAndAppendStayInsideTheirBuffers) {
    char small[5] = {};
    EXPECT_FALSE(CopyText(small, sizeof small, "ABCDEFG"));
    EXPECT_STREQ(small, "ABCD");
    EXPECT_FALSE(AppendText(small, sizeof small, "E"));
    EXPECT_STREQ(small, "ABCD");
    char room[8] = "AB";
    EXPECT_TRUE(AppendText(room, sizeof room, "CDEFG"));
    EXPECT_STREQ(room, "ABCDEFG");
    EXPECT_TRUE(SameTextIgnoringCase("Uninstal.EXE", "uninstal.exe"));
    EXPECT_FALSE(SameTextIgnoringCase("uninstal.exe", "uninstal.ex"));
}

// Windows-1252 letters fold like ASCII ones; signs that only sit beside them do not.
TEST(Paths, CaseFoldingCoversWindows1252Letters) {
    EXPECT_TRUE(SameTextIgnoringCase("C:\\SPIELE\\\xC4RGER\\", "c:\\spiele\\\xE4rger\\"));
    EXPECT_TRUE(
        SameTextIgnoringCase("\xDE\xC0\xD6\x8A\x8C\x8E\x9F", "\xFE\xE0\xF6\x9A\x9C\x9E\xFF"));
    EXPECT_FALSE(SameTextIgnoringCase("\xD7", "\xF7")); // multiplication and division signs
    EXPECT_FALSE(SameTextIgnoringCase("\xDF", "\xFF")); // sharp s has no capital here
}

} // namespace
