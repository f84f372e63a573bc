// Opening a package for the disksetup command: disk 1 (a directory or a disk image) stands in
// for the setup program's directory, so the engine's own loader reads the catalogue.
#include "cli/open_package.h"

#include "cli/cli.h"
#include "cli/disks.h"
#include "cli/problem_text.h"

#include "fat/image_reader.h"
#include "package/catalogue.h"
#include "platform/posix/posix_platform.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The file names in a disk's root, in ANSI: a directory's regular files whose names the code
// page can spell, or an image's root files.
std::vector<std::string> RootFileNames(const fs::path& dir, const FatImage* image) {
    std::vector<std::string> names;
    if (image) {
        for (int32_t child : image->nodes[0].children)
            if (!image->nodes[child].directory) names.push_back(image->nodes[child].name);
        return names;
    }
    std::error_code error;
    std::string ansi;
    for (const auto& entry : fs::directory_iterator(dir, error))
        if (entry.is_regular_file() && Utf8ToAnsi(entry.path().filename().string(), &ansi))
            names.push_back(ansi);
    return names;
}

// The catalogue in a disk's root: the only *.bin there. Several are refused with their names:
// which of them belongs to the package cannot be told by guessing.
int FindCatalogue(const fs::path& dir, const FatImage* image, std::string* found) {
    std::error_code error;
    if (!image && !fs::is_directory(dir, error)) {
        PrintError(StatusText(MsgReadError, dir.string()));
        return ExitBadInput;
    }
    std::vector<std::string> candidates;
    for (const std::string& name : RootFileNames(dir, image))
        if (HasExtension(name, ".bin")) candidates.push_back(name);
    if (candidates.size() == 1) {
        *found = std::move(candidates.front());
        return ExitOk;
    }
    const char* where = image ? "disk image" : "directory";
    if (candidates.empty()) {
        PrintError(StatusText(MsgMissing, (dir / "SETUP.bin").string()) +
                   " (no catalogue *.bin in that " + where + ")");
    } else {
        std::string names;
        for (const std::string& name : candidates)
            names += " " + EscapeName(name.c_str());
        PrintError("more than one catalogue in the " + std::string(where) + " " +
                   EscapeHostName(dir.string()) + ":" + names + "; name the one to use");
    }
    return ExitBadInput;
}

} // namespace

int OpenPackage(const std::string& path, OpenedPackage* package) {
    std::error_code error;
    fs::path given = fs::absolute(path, error);
    std::string catalogue; // its name in disk 1's root
    std::shared_ptr<const FatImage> image;
    if (fs::is_directory(given, error)) {
        package->diskDirectory = given.string();
    } else if (!fs::exists(given, error)) {
        PrintError(StatusText(MsgMissing, given.string()));
        return ExitBadInput;
    } else if (HasExtension(given, ".bin")) {
        package->diskDirectory = given.parent_path().string();
        if (!Utf8ToAnsi(given.filename().string(), &catalogue)) {
            PrintError(StatusText(MsgMissing, given.string()) + " (no name in code page " +
                       std::to_string(AnsiCodePage()) + ")");
            return ExitBadInput;
        }
    } else {
        // Any other file is taken for a disk image, whatever its name; its boot sector tells.
        std::string problem = LoadDiskImage(given.string(), &image);
        if (!problem.empty()) {
            PrintError(problem);
            return ExitBadInput;
        }
        package->diskDirectory = given.string();
    }
    if (catalogue.empty()) {
        int code = FindCatalogue(given, image.get(), &catalogue);
        if (code != ExitOk) return code;
    }
    MapDiskDrive(package->diskDirectory); // an image is read once: LoadDiskImage kept it
    std::string program = "A:\\" + fs::path(catalogue).stem().string() + ".EXE";
    PlatformOverrideProgramPath(program.c_str());

    StatusCode status = LoadCatalogue();
    if (status == StatusOk) return ExitOk;
    PrintError(CatalogueProblemText(LastProblem));
    return status == MsgNoMemory ? ExitFailed : ExitBadInput;
}
