// A package written as floppy disk images instead of folders: disk1.img, disk2.img, ... each a
// FAT12 image holding that disk's files in its root (the catalogue and the setup program on
// disk 1, and every disk's Volume), labelled with the title.
#pragma once

#include "fat/fat_format.h"
#include "pack/package_writer.h"

#include <cstdint>
#include <string>
#include <vector>

// The disk size at which every disk's files fit an image of geometry whatever their sizes:
// the data area less a partly filled last cluster for each of disk 1's three files.
uint64_t ImageDiskSize(const FatGeometry& geometry);

// Every disk's image, in memory. The label comes from the package's title, the serial number
// from the title and the disk's number, so the same package always gives the same bytes.
// Throws PackError naming the disk when its files do not fit its image.
std::vector<std::vector<uint8_t>> BuildDiskImages(const PackageImage& image,
                                                  const FatGeometry& geometry);

// Writes the images as directory/disk1.img, disk2.img, ... as one change, replacing the previous
// package there as WritePackage does. Returns the host paths written. Throws PackError
// (WriteFailed) as WritePackage does.
std::vector<std::string> WriteDiskImages(const std::vector<std::vector<uint8_t>>& images,
                                         const std::string& directory);
