// Counting open descriptors through /proc/self/fd, where the platform has it.
#include "tests/support/open_files.h"

#include "base/memory.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <dirent.h>
#endif

int OpenFileCount() {
#ifdef _WIN32
    return -1;
#else
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    int count = 0;
    while (readdir(dir) != nullptr)
        ++count;
    closedir(dir);
    return count - 3; // ".", ".." and the descriptor of the listing itself
#endif
}

ReleaseCheck::ReleaseCheck(int releasedBlocks)
    : files_(OpenFileCount()), blocks_(LockedBlocksInUse() - releasedBlocks) {}

void ReleaseCheck::ExpectReleased() const {
    EXPECT_EQ(LockedBlocksInUse(), blocks_) << "locked blocks left behind";
    if (files_ >= 0) {
        EXPECT_EQ(OpenFileCount(), files_) << "files left open";
    }
}
