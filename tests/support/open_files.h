// The number of files the test process holds open, for the checks that a run gives back every
// handle it took.
#pragma once

// Open file descriptors of this process; -1 where they cannot be counted (Windows).
int OpenFileCount();

// Records the open files and locked blocks at construction; ExpectReleased() fails the test
// when a run since then left any of either behind, or kept one of the blocks it was to give
// back (releasedBlocks of those held at construction).
class ReleaseCheck {
  public:
    explicit ReleaseCheck(int releasedBlocks = 0);
    void ExpectReleased() const;

  private:
    int files_;
    int blocks_;
};
