// Path and text helpers shared by the whole program; those that change a text do so in place,
// never past the size they are given.
#pragma once

#include <cstddef>

// Changes the extension of path to extension (with its dot, ".bin"): the text from the last
// dot on is replaced, unless there is no dot or a backslash follows it, when extension is
// appended. Never writes past size bytes; returns false (path unchanged) when it would not fit.
bool ReplaceExtension(char* path, size_t size, const char* extension);
// Appends a backslash to a non-empty path that does not already end in one. Returns false
// (path unchanged) when there is no room.
bool AppendBackslash(char* path, size_t size);
// Removes one trailing backslash from a path longer than 3 characters, so 'C:\' keeps its own.
void StripBackslash(char* path);
// Copies source into target, cut to size - 1 characters. Returns false when it was cut.
bool CopyText(char* target, size_t size, const char* source);
// Appends source to target within size bytes. Returns false (target unchanged) when it would
// not fit whole.
bool AppendText(char* target, size_t size, const char* source);
// Compares two texts without regard to letter case as Windows-1252 has it, accented letters
// included ('\xC4RGER' and '\xE4rger' are equal); true when equal.
bool SameTextIgnoringCase(const char* a, const char* b);

// Names tried for a temporary beside a file ('~ds00000.tmp' and on) before writing it counts
// as failed.
constexpr unsigned TemporaryNames = 1000;
// The n-th temporary name in the directory of path (the text up to its last backslash) into
// buffer (PathSize bytes): the name every file is written as before it replaces its target.
// False when it does not fit.
bool TemporaryName(const char* path, unsigned n, char* buffer);
