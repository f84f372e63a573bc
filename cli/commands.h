// The subcommands of disksetup, each a function of its parsed options returning an exit code.
#pragma once

#include "pack/manifest.h"

#include <cstdint>
#include <string>
#include <vector>

struct ListOptions {
    std::string path;
    bool json = false;
};
int RunList(const ListOptions& options);

// disksetup pack: MANIFEST, or --dir SRC with --program and --title; output below -o OUTDIR.
struct PackOptions {
    std::string manifest;
    DirectoryPackOptions dir; // with --dir; its diskSize applies when diskSize below is 0
    uint64_t diskSize = 0;    // --disk-size; 0: the manifest's, or dir's (a 1457664-byte floppy)
    bool best = false;        // the slower parse that gives smaller streams
    uint32_t imageKb = 0;     // --image: write diskN.img floppy images of this size, not folders
    std::string builtinUninstaller; // --builtin-uninstaller: the project's UNINSTAL.EXE, or ""
    std::string output;
};
int RunPack(const PackOptions& options);

// disksetup test: expands every file of a package in memory and reports damage.
struct TestOptions {
    std::string path;
    bool json = false;              // one JSON document (JsonFormat) instead of the lines
    std::vector<std::string> disks; // "N=PATH": where disk N lies, when not beside disk 1
};
int RunTest(const TestOptions& options);

// disksetup compress IN OUT / expand IN OUT: one stored stream (4-byte size, LZHUF bits).
struct CodecOptions {
    std::string input;
    std::string output;
    bool best = false; // compress only: the slower parse that gives a smaller stream
};
int RunCompress(const CodecOptions& options);
int RunExpand(const CodecOptions& options);

// disksetup extract: every installed record (--all: every record) below OUTPUT.
struct ExtractOptions {
    std::string path;
    std::string output;
    bool all = false;
    std::vector<std::string> include; // wildcard patterns of the names to extract; empty: all
    bool lowercase = false;           // the paths below OUTPUT in lower case
    bool skipExisting = false;        // a file already at its path is kept, not replaced
    bool json = false;                // one JSON document (JsonFormat) of the files' results
    std::vector<std::string> disks;
};
int RunExtract(const ExtractOptions& options);

// disksetup install: the setup program's installation without its windows, drive C: mapped
// to a host directory or a Wine prefix's drive_c.
struct InstallOptions {
    std::string path;
    std::string root;       // host directory for drive C:, or ""
    std::string winePrefix; // Wine prefix whose drive_c is drive C:, or "" ($WINEPREFIX, ~/.wine)
    std::string dest;       // Windows path of the destination, or "" for the proposed one
    bool yes = false;
    bool noMenu = false; // no desktop entries for a Wine prefix's installation
    bool json = false;   // one JSON document (JsonFormat) of the files' results
    std::vector<std::string> disks;
};
int RunInstall(const InstallOptions& options);

// disksetup uninstall: the uninstaller's removal without its windows, drive C: mapped as for
// install. path: the installed uninstaller (or its data file), or a directory holding one.
struct UninstallOptions {
    std::string path;
    std::string root;
    std::string winePrefix;
    bool yes = false;
    bool json = false; // one JSON document (JsonFormat) of the files' results
};
int RunUninstall(const UninstallOptions& options);
