// FAT12 floppy images made from scratch in the standard formats of 720, 1200, 1440 and
// 2880 KB: a boot sector that only says the disk cannot start the computer, two FATs, a root
// directory with a volume label and the files, each in consecutive clusters. Dates are fixed
// and the serial number is given, so the same files always give the same bytes.
#pragma once

#include "fat/fat_format.h"

#include <cstdint>
#include <string>
#include <vector>

// The geometry of the standard floppy of kb kilobytes (720, 1200, 1440 or 2880), or null.
const FatGeometry* FloppyGeometry(uint32_t kb);
// Bytes that fileCount files may hold together on the disk whatever their sizes: the data
// area less one cluster per file, for each file's partly filled last cluster.
uint64_t FloppyCapacity(const FatGeometry& geometry, uint32_t fileCount);
// A volume label (at most 11 characters) made from text: upper case, characters a label
// cannot hold as '_', leading spaces dropped; "" when nothing is left.
std::string VolumeLabelFrom(const std::string& text);

struct FloppyFile {
    std::string name; // ANSI (Latin-1); names beyond 8.3 get a long name
    const std::vector<uint8_t>* bytes;
};

// Makes the image of a disk with the files in its root directory, in order. Returns "" and
// sets *image, or says what does not fit (clusters, root directory entries) or which name a
// directory cannot hold (too long, a control character, two files of the same name); *image
// is then left as it was.
std::string MakeFloppyImage(const FatGeometry& geometry, const std::string& label, uint32_t serial,
                            const std::vector<FloppyFile>& files, std::vector<uint8_t>* image);
