// The fixture the installation tests share: a sandbox, a destination, a clean transfer screen,
// and a check that every block of the run was released.
#pragma once

#include "tests/support/open_files.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"

#include <gtest/gtest.h>

#include <string>

class TransferFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Writes package below pkg\ and makes it ready for a transfer into dest_.
    void Load(const TestPackage& package);

    ReleaseCheck released_; // taken before the sandbox makes its files
    Sandbox box_;
    std::string dest_ = box_.Path("dest\\");
};
