// Writes minimal PE images with or without a version resource, as fixtures for the shared-file
// version rules.
#pragma once

#include <cstdint>
#include <vector>

struct PeImageOptions {
    bool pe64 = false;       // PE32+ optional header instead of PE32
    bool withVersion = true; // an RT_VERSION resource holding VS_FIXEDFILEINFO
    uint32_t versionMs = 0x00010000;
    uint32_t versionLs = 0;
    // With bytes here: instead of the version, an icon group (RT_GROUP_ICON 1) of one image
    // (RT_ICON 1) holding these bytes, iconSide pixels wide and high, iconBits a pixel.
    std::vector<uint8_t> icon;
    uint8_t iconSide = 0;
    uint16_t iconBits = 0;
};

// A one-section image (".rsrc") that the version readers of both platforms accept.
std::vector<uint8_t> BuildPeImage(const PeImageOptions& options);

// Offsets inside the image from BuildPeImage, for tests that damage it on purpose.
constexpr uint32_t PeHeaderOffset = 0x40;        // "PE\0\0"
constexpr uint32_t PeResourceFileOffset = 0x200; // start of the resource section's raw data
constexpr uint32_t PeFixedInfoOffset = PeResourceFileOffset + 88 + 40; // the signature
