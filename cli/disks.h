// The disks of a package on the host, each a directory or a FAT disk image: opening a package
// with its --disk options, and the answer to a disk prompt: drive A: mapped to the asked disk.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct FatImage;
struct Problem;

// Where to look for the disks of one package. A disk is a host directory or a disk image.
struct DiskFolders {
    std::string firstDisk;                 // host directory or disk image of disk 1
    std::map<unsigned, std::string> given; // --disk N=PATH
};

// Adds "N=PATH" (N from 1 to 65535) to folders. Returns "" or what is wrong with text.
std::string AddDiskOption(const std::string& text, DiskFolders* folders);

// Reads and checks the FAT disk image at host (kept for later calls with the same path).
// Returns "" and sets *image, or what is wrong with it, naming it.
std::string LoadDiskImage(const std::string& host, std::shared_ptr<const FatImage>* image);
// Maps drive A: onto the disk at host: a directory, or else a disk image. Returns "" or what
// is wrong with the image, naming it.
std::string MapDiskDrive(const std::string& host);

// Answers the disk prompt for disk: maps drive A: to that disk and returns OK; or returns
// Cancel and says why in *problem: no such directory or image (with the paths tried), an image
// that cannot be read, or the same disk asked for again right after (*lastDisk) because the
// Volume found there is another disk's (wrongVolume).
int AnswerDiskPrompt(const DiskFolders& folders, unsigned disk, const Problem* wrongVolume,
                     unsigned* lastDisk, std::string* problem);

// Opens the package at path (OpenPackage) and adds the --disk options to its disk folders.
// Returns an exit code: ExitOk, the opening's, or ExitUsage for a bad --disk.
int OpenPackageDisks(const std::string& path, const std::vector<std::string>& disks,
                     DiskFolders* folders);
