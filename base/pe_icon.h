// A program's icon for the desktop's menu: the first icon of a Windows executable as PNG.
#pragma once

#include <cstdint>
#include <vector>

// The largest, most colourful image of the first icon group of the PE image exe, as a PNG
// file's bytes; empty when exe has no icon or its icon is not one this reader understands
// (images stored as PNG are taken as they are; bitmaps of 1, 4, 8, 24 or 32 bits a pixel up to
// 256x256 are converted). Never reads outside exe; a hostile image gives an empty result.
std::vector<uint8_t> FirstIconPng(const std::vector<uint8_t>& exe);
