// Reads the fixed file version from the version resource of a Windows executable image.
#pragma once

#include <cstddef>
#include <cstdint>

// Parses data (size bytes) as a PE image, 32- or 64-bit, finds its RT_VERSION resource
// (the first name and language under it) and reads the VS_FIXEDFILEINFO there, which starts
// with the signature 0xFEEF04BD. On success stores dwFileVersionMS and dwFileVersionLS and
// returns true. Returns false for anything else: not a PE image, no resource section, no
// version resource, or a structure that does not lie inside data. Never reads outside
// data[0 .. size); hostile images are answered with false.
bool ReadPeFileVersion(const uint8_t* data, size_t size, uint32_t* versionMs, uint32_t* versionLs);
