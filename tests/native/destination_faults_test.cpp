// Creating the destination when a deeper level cannot be made: what was made stays.
#include "install/destination.h"
#include "install/transfer.h"
#include "platform/posix/posix_platform.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(DestinationChain, StopsAtTheFirstFailureAndKeepsTheLevelsMadeBefore) {
    Sandbox box;
    std::strcpy(InstallDir, "T:\\ONE\\TWO\\THREE");
    PosixFaultPlan().failMakeDirectoryAfter = 1; // ONE is made, TWO is not
    EXPECT_EQ(CreateInstallDirChain(), 1u);
    EXPECT_STREQ(InstallDir, "T:\\ONE\\TWO\\THREE\\");
    EXPECT_TRUE(box.Exists("T:\\ONE"));
    EXPECT_FALSE(box.Exists("T:\\ONE\\TWO"));
    // A root is entered, never made; a UNC path's server and share are never tried.
    std::strcpy(InstallDir, "T:\\");
    EXPECT_EQ(CreateInstallDirChain(), 0u);
    std::strcpy(InstallDir, "Q:\\");
    EXPECT_EQ(CreateInstallDirChain(), 1u);
    PosixFaultPlan().failAllocAfter = 0;
    std::strcpy(InstallDir, "T:\\ONE");
    EXPECT_EQ(CreateInstallDirChain(), 0xFFFFFFFFu);
    PlatformEnterDirectory("T:\\");
}

} // namespace
