// disksetup pack: writes a package from a manifest, or from a directory and options, as disk
// folders or as floppy disk images.
#include "cli/cli.h"
#include "cli/commands.h"

#include "fat/image_writer.h"
#include "pack/disk_images.h"
#include "pack/manifest.h"
#include "pack/pack_error.h"
#include "pack/package_writer.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The file in directory named name in any letter case, or "".
std::string FindIgnoringCase(const fs::path& directory, const char* name) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error))
        if (strcasecmp(entry.path().filename().c_str(), name) == 0 && entry.is_regular_file())
            return entry.path().string();
    return "";
}

// A program of the kit (SETUP.EXE, UNINSTAL.EXE): the file given, else the one beside this
// program, else in ../share/disksetup/ beside its directory (an installed kit, under any
// prefix), else the shipped i686 build of the build tree this program was built in.
std::string KitProgram(const char* name, const char* what, const std::string& given,
                       const char* option) {
    if (!given.empty()) {
        if (!fs::is_regular_file(given))
            throw PackError(std::string(option) + " " + given + ": no such file");
        return given;
    }
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error).parent_path();
    std::vector<fs::path> tried = {self, self / ".." / "share" / "disksetup",
                                   self / ".." / ".." / "win32"};
    std::string names;
    for (const fs::path& directory : tried) {
        std::string found = FindIgnoringCase(directory, name);
        if (!found.empty()) return found;
        names += " " + (directory.lexically_normal() / name).string();
    }
    std::string hint = option[0] != '\0' ? std::string(" or give ") + option + " FILE" : "";
    throw PackError(std::string("the built-in ") + what + " is not found; tried" + names +
                    "; build the win32 preset" + hint);
}

PackManifest ManifestOf(const PackOptions& options) {
    PackManifest manifest;
    if (!options.manifest.empty()) {
        manifest = LoadManifest(options.manifest);
        if (options.diskSize != 0) manifest.diskSize = options.diskSize;
    } else {
        DirectoryPackOptions dir = options.dir;
        if (options.diskSize != 0) dir.diskSize = options.diskSize;
        manifest = ManifestFromDirectory(dir);
    }
    manifest.best = options.best;
    if (options.imageKb != 0) {
        // Disks as large as the images hold, unless a disk size given says less.
        uint64_t fits = ImageDiskSize(*FloppyGeometry(options.imageKb));
        bool given = options.diskSize != 0 || manifest.diskSizeGiven;
        manifest.diskSize = given ? std::min(manifest.diskSize, fits) : fits;
    }
    if (manifest.builtinUninstaller)
        AddBuiltinUninstaller(&manifest,
                              KitProgram("UNINSTAL.EXE", "uninstaller", options.builtinUninstaller,
                                         "--builtin-uninstaller"));
    if (manifest.setupProgram == BuiltinWord)
        manifest.setupProgram = KitProgram("SETUP.EXE", "setup program", "", "");
    return manifest;
}

// The usage errors that the option parser cannot see: one source, and what --dir needs.
bool CheckSourceOptions(const PackOptions& options) {
    if (options.manifest.empty() == options.dir.directory.empty()) {
        PrintError("pack: give either a MANIFEST or --dir SRC");
        return false;
    }
    if (!options.dir.directory.empty() &&
        (options.dir.program.empty() || options.dir.title.empty())) {
        PrintError("pack --dir: --program and --title are required");
        return false;
    }
    if (!options.dir.directory.empty()) {
        // An output inside the source would be packed by the next run of the same command.
        std::error_code error;
        fs::path source = fs::weakly_canonical(options.dir.directory, error);
        fs::path output = fs::weakly_canonical(options.output, error);
        auto inside = std::mismatch(source.begin(), source.end(), output.begin(), output.end());
        if (!error && inside.first == source.end()) {
            PrintError("pack --dir: the output directory " + EscapeHostName(output.string()) +
                       " lies inside the source directory " + EscapeHostName(source.string()));
            return false;
        }
    }
    return true;
}

} // namespace

int RunPack(const PackOptions& options) {
    if (!CheckSourceOptions(options)) return ExitUsage;
    try {
        PackageImage image = BuildPackage(ManifestOf(options));
        std::vector<std::string> written;
        if (options.imageKb != 0) {
            // Every image is made before the first is written.
            written = WriteDiskImages(BuildDiskImages(image, *FloppyGeometry(options.imageKb)),
                                      options.output);
        } else {
            written = WritePackage(image, options.output);
        }
        for (const std::string& path : written)
            std::printf("wrote %s\n", EscapeHostName(path).c_str());
        std::printf("%zu disk%s, %zu byte catalogue\n", image.volumes.size(),
                    image.volumes.size() == 1 ? "" : "s", image.catalogue.size());
        return ExitOk;
    } catch (const PackError& e) {
        PrintError(EscapeHostName(e.what()));
        return e.kind == PackError::WriteFailed ? ExitFailed : ExitBadInput;
    } catch (const std::exception& e) {
        // What the writer and the libraries under it throw besides, such as running out of
        // memory; files too large for a record were refused above as PackError.
        PrintError(EscapeHostName(e.what()));
        return ExitBadInput;
    }
}
