// The bounded formatter: the conversions the program's texts use, and the cut at the buffer's end.
#include "base/text_format.h"

#include <gtest/gtest.h>

#include <climits>

TEST(FormatText, FillsTheConversionsTheTextsUse) {
    char out[64];
    EXPECT_EQ(FormatText(out, sizeof out, "~ds%05u.tmp", 42u), 12u);
    EXPECT_STREQ(out, "~ds00042.tmp");
    FormatText(out, sizeof out, "%d%% %s %lu Kb", -7, "of", 4294967295ul);
    EXPECT_STREQ(out, "-7% of 4294967295 Kb");
    FormatText(out, sizeof out, "%d|%3d|%s", INT_MIN, 5, static_cast<const char*>(nullptr));
    EXPECT_STREQ(out, "-2147483648|  5|(null)");
    // What it does not know stands as written and takes no argument.
    FormatText(out, sizeof out, "%x %5% %s", "next");
    EXPECT_STREQ(out, "%x %5% next");
}

TEST(FormatText, CutsAtTheBufferEndAndNeverWritesPastIt) {
    char out[8] = "#######";
    EXPECT_EQ(FormatText(out, 6, "%s-%u", "disk", 12345u), 5u);
    EXPECT_STREQ(out, "disk-");
    EXPECT_EQ(out[6], '#');
    out[0] = 'x';
    EXPECT_EQ(FormatText(out, 0, "%s", "anything"), 0u);
    EXPECT_EQ(out[0], 'x');
}
