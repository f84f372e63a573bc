// The package writer: a manifest becomes a catalogue and one Volume per disk.
//
// Output below the output directory:
//   disk1/<setup>.bin             the catalogue
//   disk1/<setup>.EXE             the setup program, when the manifest names one
//   diskN/<program>.dat           the Volume of disk N (N from 1), starting with u16 N
// Stored streams (u32 size + LZHUF bit stream) follow each other across the Volumes; each
// disk is filled to the disk size, disk 1 counting the catalogue and the setup program.
#pragma once

#include "pack/manifest.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A whole package in memory, ready to be written.
struct PackageImage {
    std::string catalogueName; // "SETUP.bin"
    std::vector<uint8_t> catalogue;
    std::string setupProgramName; // "SETUP.EXE", or "" for none
    std::vector<uint8_t> setupProgram;
    std::string volumeName;                    // "SPACE.dat"
    std::vector<std::vector<uint8_t>> volumes; // index 0 = disk 1
};

// Reads the sources, compresses them and lays the package out. Writes nothing. Throws
// PackError for what the format cannot hold: a ProgramName over 259 or a Title over 79
// characters, a Name over 259, more than 65535 records, a record over 65535 bytes, a file over
// 65535 KB (its SizeKb), a disk too small for the catalogue, a Volume past what the setup
// program can seek; and for unreadable sources or shared files without a version.
PackageImage BuildPackage(const PackManifest& manifest);

// Writes the image below directory as one change (CommitPackageFiles): created when missing; the
// previous package there is replaced, and nothing else is touched. Returns the host paths
// written, in order. Throws PackError (WriteFailed) naming what cannot be written; directory is
// then as it was.
std::vector<std::string> WritePackage(const PackageImage& image, const std::string& directory);

// ProgramName with ".dat" in place of its extension: the Volumes' name, as the setup program
// forms it.
std::string VolumeNameOf(const std::string& program);
