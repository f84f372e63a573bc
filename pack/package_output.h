// Putting a package into its output directory as one change: every file is written into a
// staging directory beside the output first and moved in only when all are complete; the files
// of the package the output held before that the new one does not have are removed then.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One file of the package: its path below the output directory ("disk1/SETUP.bin") and bytes.
struct OutputFile {
    std::string relative;
    const std::vector<uint8_t>* bytes;
};

// The files of the package that directory holds, as paths below it: every catalogue in disk1
// (a *.bin whose header and records are sound), the setup program beside it (its name with an
// ".exe" extension in any case), the Volumes named after each catalogue's ProgramName in
// disk1, disk2, ... and the images disk1.img, disk2.img, ... up to the first number missing.
// Nothing else is ever counted as the package's.
std::vector<std::string> PackageFilesIn(const std::string& directory);

// Writes files below directory as one change. They are written into a new directory beside it
// (".NAME.packing-XXXXXX" in its parent) and moved in only when every one is complete; then the
// files of the previous package (PackageFilesIn) that are not among them are removed, with the
// disk folders this leaves empty. Returns the host paths written, in order. Throws PackError
// (WriteFailed) naming what cannot be written or moved; when a file cannot be written nothing
// below directory has changed, and the staging directory is gone.
std::vector<std::string> CommitPackageFiles(const std::vector<OutputFile>& files,
                                            const std::string& directory);
