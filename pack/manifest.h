// What a package is made of: the manifest that the package writer reads (TOML), or the same
// description built from a directory and a few options.
//
// Manifest format (TOML, UTF-8; texts are stored as single-byte ANSI, code page 1252, so every
// character must be one that code page spells):
//
//   program = "SPACE.EXE"       # the application's main program file; volumes are SPACE.dat
//   title = "Space Game"        # display name, at most 79 characters
//   kind = "ordinary"           # or "insv" (catalogue magic "INSV")
//   setup = "SETUP"             # setup program's name without extension; catalogue SETUP.bin
//   disk_size = 1457664         # bytes per disk, counting catalogue and setup program on disk 1
//   setup_program = "SETUP.EXE" # optional: copied onto disk 1 as <setup> + its extension;
//                               # "builtin": the kit's own SETUP.EXE
//   uninstaller = "builtin"     # optional: the project's own UNINSTAL.EXE becomes the last
//                               # record, as "uninstal.exe" (no [[file]] may be named so)
//
//   [[file]]                    # one table per record, in installation order
//   source = "bin/SPACE.EXE"    # host path, relative to the manifest's directory
//   name = "SPACE.EXE"          # target Name; '/' is written as '\'; "uninstal.exe" marks the
//                               # uninstaller entry
//   shared = true               # optional: a shared file; version from the file's PE version
//   version = "1.2.3.4"         #   resource unless given here
//   install = false             # optional: stored but never installed
//
// Only `program`, `title` and at least the `source` and `name` of each file are required.
// Unknown keys are refused, so a misspelt option never goes unnoticed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A disk as the packer fills it by default: a 3.5-inch high-density floppy.
constexpr uint64_t DefaultDiskSize = 1457664;

// A file version as the platform's fixed file version holds it: most significant half first.
struct FileVersion {
    uint32_t ms = 0;
    uint32_t ls = 0;
};

struct ManifestFile {
    std::string source;                 // host path of the file's bytes
    std::string name;                   // target Name, UTF-8 as given
    bool shared = false;                // installed by the shared-file pass
    bool install = true;                // false: stored, never installed
    std::optional<FileVersion> version; // shared files: given explicitly, else read from source
};

struct PackManifest {
    std::string program;         // ProgramName, UTF-8
    std::string title;           // Title, UTF-8
    bool insv = false;           // INSV package
    std::string setup = "SETUP"; // setup program's name without extension
    uint64_t diskSize = DefaultDiskSize;
    bool diskSizeGiven = false; // disk_size was written, not taken by default
    std::string setupProgram;   // host path of a setup program to copy, "builtin" or ""
    std::vector<ManifestFile> files;
    bool best = false; // compress with the slower, smaller parse (pack --best)
    bool builtinUninstaller =
        false; // the project's uninstaller is to be added (AddBuiltinUninstaller)
};

// How a directory becomes a package (disksetup pack --dir).
struct DirectoryPackOptions {
    std::string directory; // every regular file below it, sorted by relative path
    std::string program;
    std::string title;
    bool insv = false;
    std::string setup = "SETUP";
    uint64_t diskSize = DefaultDiskSize;
    std::string setupProgram;
    // Relative paths (with '/') inside directory; "NAME=1.2.3.4" gives the version.
    std::vector<std::string> shared;
    std::vector<std::string> notInstalled;
    std::string uninstaller; // stored under the name "uninstal.exe"; "builtin": the project's
};

// The word that asks for the kit's own uninstaller or setup program (uninstaller = "builtin",
// setup_program = "builtin", --uninstaller builtin, --setup-program builtin).
constexpr char BuiltinWord[] = "builtin";

// Adds the project's uninstaller, the file at host path exe, as the last record under the name
// "uninstal.exe", and clears builtinUninstaller. Throws PackError when a record already is the
// uninstaller entry.

void AddBuiltinUninstaller(PackManifest* manifest, const std::string& exe);

// Reads a manifest file. Relative source paths are taken from the manifest's directory.
// Throws PackError naming the file, the key and, for syntax errors, the line.
PackManifest LoadManifest(const std::string& path);
// Parses manifest text; base is the directory that relative sources start from.
PackManifest ParseManifest(const std::string& text, const std::string& base,
                           const std::string& sourceName);
// Lists a directory into a manifest. Throws PackError for a missing directory, or a --shared,
// --not-installed or --uninstaller path that names no file in it.
PackManifest ManifestFromDirectory(const DirectoryPackOptions& options);

// "1.2.3.4" (one to four parts, each 0 to 65535; missing parts are 0). Throws PackError.
FileVersion ParseFileVersion(const std::string& text);
