// The fixture the command-level install, extract and hostile-package tests share: a sandbox,
// disksetup run over it, and the files a run added below it (POSIX hosts only).
#pragma once

#include "tests/support/run_command.h"
#include "tests/support/sandbox.h"
#include "tests/support/test_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

// Every regular file below root, as relative paths.
std::set<std::string> FilesBelow(const std::filesystem::path& root);
// Everything below root, as relative paths: a file maps to its bytes, a directory to "/".
std::map<std::string, std::string> TreeBelow(const std::filesystem::path& root);

class CliFixture : public ::testing::Test {
  protected:
    // The desktop's data and configuration folders (menus of Wine installations) lie in the
    // sandbox.
    CliFixture();
    CommandResult Run(const std::string& args) { return RunDisksetup(args); }
    // Host path of relative ('/'-separated) below the sandbox root.
    std::filesystem::path Host(const std::string& relative) const;
    // Host(relative), quoted for the shell.
    std::string Quoted(const std::string& relative) const;
    // Writes package as pkg\disk1.. and returns disk 1's host directory, quoted.
    std::string Write(const TestPackage& package);
    // Writes package as Write does, and each disk's folder also as a FAT12 floppy image of kb
    // KB beside it (pkg/disk1.img, ...). Returns disk 1's image, quoted.
    std::string WriteImages(const TestPackage& package, uint32_t kb);
    // The files added below the sandbox since before, a FilesBelow(Host("")) taken earlier.
    std::set<std::string> Added(const std::set<std::string>& before) const;

    Sandbox box_;
};
