// Opening a package for the disksetup command: disk 1 (a directory or a disk image) stands in
// for the setup program's directory, so the engine's own loader reads the catalogue.
#pragma once

#include <string>

// A package's first disk, as the disksetup command found it.
struct OpenedPackage {
    std::string diskDirectory; // host directory or disk image of disk 1, mapped as drive A:
};

// Finds the catalogue for path (a disk directory, a catalogue file, or a disk image holding
// the catalogue in its root), maps its directory or image as drive A:, stands A:\<name>.EXE in for
// the setup program and loads the catalogue through the engine. On failure prints the engine's
// message (naming host paths) and returns the exit code.
int OpenPackage(const std::string& path, OpenedPackage* package);
