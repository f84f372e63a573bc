// What the disksetup command prints for a problem the engine noted: its message with host
// paths in place of drive letters, and the numbers the problem holds.
#pragma once

#include "base/problem.h"

#include <string>

// A catalogue that could not be loaded: its message naming the host path, and why it was
// refused as damaged, with the numbers (" (the header counts 5 records; ...)").
std::string CatalogueProblemText(const Problem& problem);
// The note for a box raised about problem (text is the box's): a Volume that cannot be read is
// named by its host path and disk, a damaged stream by the size it claims, and a piece that
// cannot be read by where it lies. Other boxes are noted as they read.
std::string BoxNote(const char* text, const Problem& problem);
// Whether problem is about the package's own data, not the host: a missing or damaged Volume
// or stream, or a piece that could not be read because its Volume is shorter than the piece.
bool PackageFault(const Problem& problem);
// Why the Volume found for disk problem.diskWanted is not that disk: the number it holds, or
// that it is too short to hold one.
std::string WrongVolumeText(const Problem& problem);
// Where the stream's Volume ended inside a piece, with the Volume's size; "" when it did not.
std::string VolumeEndText(const Problem& problem);
// For a stream that ends inside its 4-byte size: "the stored stream ends inside its 4-byte
// size (N of its bytes are there)"; "" for any other problem.
std::string SizeCutText(const Problem& problem);
