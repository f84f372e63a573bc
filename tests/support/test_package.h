// Packages for the installation tests, written into a sandbox with the project's encoder:
// a "drive" folder that holds the disk in the drive, and one folder per disk.
#pragma once

#include "tests/support/sandbox.h"

#include <cstdint>
#include <string>
#include <vector>

struct TestFile {
    std::string name;
    std::vector<uint8_t> bytes;
    uint16_t flags = 0; // FlagNotInstalled, 2 for a shared file
    uint32_t versionMs = 0, versionLs = 0;
    uint16_t disk = 1;     // the disk whose Volume holds the whole stored stream
    uint16_t spanDisk = 0; // when set, the disk whose Volume holds the stream's second half
};

struct TestPackage {
    std::string magic = "IDSK"; // "INSV" for an INSV package
    std::string program = "PROG.EXE";
    std::string title = "Test Program";
    std::vector<TestFile> files;
};

// Writes the package below base (a Windows path ending in a backslash): base\diskN\PROG.dat
// for every disk used and base\disk1\SETUP.bin. Loads nothing.
void WriteTestPackage(const Sandbox& box, const TestPackage& package, const std::string& base);

// Writes the package as WriteTestPackage does, and base\drive\ with disk 1 inserted. Makes the
// setup program base\drive\SETUP.EXE and loads the catalogue; InstallDir, the volume reader
// and UninstallerName are made ready for a transfer into dest. Returns LoadCatalogue's status,
// or PrepareVolumeReader's when the catalogue loaded but the reader could not be made ready.
int InstallTestPackage(const Sandbox& box, const TestPackage& package, const std::string& base,
                       const std::string& dest);

// Puts disk n into the drive (its Volume, and the catalogue only for disk 1).
void InsertTestDisk(int n);

// A ScriptedBoxes callback: a disk prompt ("Insert disk N ...") inserts disk N first.
void SwapDiskOnPrompt(const RecordedBox& box);

// Bytes 0, 1, 2, ... of the given length, varied by seed.
std::vector<uint8_t> PatternBytes(size_t length, uint8_t seed = 0);

// Whether a read-only file refuses to be re-created here; Wine running as root ignores the
// attribute. Tests of read-only targets skip where it does not hold.
bool ReadOnlyIsEnforced(const Sandbox& box);
