// The disks of a package on the host, each a directory or a FAT disk image, and the answers
// that a command without a screen gives to the engine's message boxes: a disk prompt maps
// drive A: to the asked disk.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct FatImage;

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

// Answers the disk prompt for CurrentDisk: maps drive A: to that disk and returns OK; or
// returns Cancel and says why in *problem: no such directory or image (with the paths tried),
// an image that cannot be read, or the same disk asked for again right after (*lastDisk), so
// its Volume is another disk's.
int AnswerDiskPrompt(const DiskFolders& folders, unsigned* lastDisk, std::string* problem);

// Installs the message-box hook for a run over the package's disks (drive A: is disk 1):
//  - "Insert disk N in drive A." maps A: to disk N and answers OK; when there is no such
//    directory or image, or the image cannot be read, or the disk asked for twice in a row still holds another disk's
//    Volume, it answers Cancel and notes why (with the paths tried);
//  - every other box is noted with its text and answered Cancel.
void StartDiskAnswers(const DiskFolders& folders);
void StopDiskAnswers();
// Starts a new file: a first prompt for a disk is answered again.
void StartFileForDiskAnswers();
// What the boxes told since the last call, one sentence each.
std::vector<std::string> TakeDiskNotes();

// The piece the volume reader is in (the Segment before SegmentCursor, which must lie past the
// record's first Segment) and the Volume that holds it.
struct ReaderPiece {
    uint16_t disk;
    uint32_t offset;        // from the start of the Volume
    uint32_t length;        // bytes
    std::string host;       // host path of the Volume, unescaped
    std::string volumeSize; // the Volume's size in bytes, or "?" when it cannot be learned
};
ReaderPiece CurrentPiece();

// For a box about a stream whose codes ran past its stored data: " (its stored data ends
// before its size of N bytes is reached)"; otherwise "".
std::string OverrunContext();
