// Finds one resource of a Windows executable image (32- or 64-bit) in its bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// Where a resource's data lies inside the image.
struct PeResource {
    const uint8_t* data; // inside the image given to FindPeResource
    uint32_t size;       // bytes, all of them inside that image
};

// Resource types, as the resource directory numbers them.
constexpr uint32_t PeIconType = 3;       // RT_ICON: one image of an icon
constexpr uint32_t PeIconGroupType = 14; // RT_GROUP_ICON: the directory of an icon's images
constexpr uint32_t PeVersionType = 16;   // RT_VERSION

// Parses data (size bytes) as a PE image and finds the resource of the given type whose
// numeric id is id (any name, the first one, when id is negative), in its first language.
// Returns false for anything else: not a PE image, no resource section, no such resource, or
// a structure or data that does not lie inside data. Never reads outside data[0 .. size).
bool FindPeResource(const uint8_t* data, size_t size, uint32_t type, int64_t id, PeResource* found);
