// The fixtures the installation tests share: a sandbox, a destination, a clean transfer screen,
// and a check that every block of the run was released; and the same for the plain copy.
#pragma once

#include "base/messages.h"
#include "tests/support/open_files.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Fails the test when a temporary file of a target is left anywhere below the sandbox.
void ExpectNoTemporaryLeft(const Sandbox& box);

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

// The plain copy's fixture: dest\ made, setup\ as the setup directory the source is read from.
class PlainCopyFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Writes bytes as setup\SRC.BIN.
    void Source(const std::vector<uint8_t>& bytes);
    // Copies SRC.BIN as target below dest_.
    StatusCode Copy(const std::string& target = "OUT.BIN");

    ReleaseCheck released_; // taken before the sandbox makes its files
    Sandbox box_;
    std::string dest_ = box_.Path("dest\\");
};
