// Opening a package for the disksetup command: disk 1 (a directory or a disk image) stands in
// for the setup program's directory, so the engine's own loader reads the catalogue.
#include "cli/cli.h"
#include "cli/disks.h"

#include "fat/image_reader.h"
#include "package/catalogue.h"
#include "platform/posix/posix_platform.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool HasBinExtension(const fs::path& p) { return strcasecmp(p.extension().c_str(), ".bin") == 0; }

// The file names in a disk's root: a directory's regular files, or an image's root files.
std::vector<std::string> RootFileNames(const fs::path& dir, const FatImage* image) {
    std::vector<std::string> names;
    if (image) {
        for (int32_t child : image->nodes[0].children)
            if (!image->nodes[child].directory) names.push_back(image->nodes[child].name);
        return names;
    }
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error))
        if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    return names;
}

// The catalogue in a disk's root: the only *.bin there, or SETUP.bin among several.
int FindCatalogue(const fs::path& dir, const FatImage* image, std::string* found) {
    std::error_code error;
    if (!image && !fs::is_directory(dir, error)) {
        PrintError(StatusText(MsgReadError, dir.string()));
        return ExitBadInput;
    }
    std::vector<std::string> candidates;
    for (const std::string& name : RootFileNames(dir, image))
        if (HasBinExtension(name)) candidates.push_back(name);
    auto setup = std::find_if(candidates.begin(), candidates.end(), [](const std::string& name) {
        return strcasecmp(name.c_str(), "SETUP.bin") == 0;
    });
    if (setup != candidates.end()) candidates = {*setup};
    if (candidates.size() == 1) {
        *found = candidates[0];
        return ExitOk;
    }
    const char* where = image ? "disk image" : "directory";
    if (candidates.empty()) {
        PrintError(StatusText(MsgMissing, (dir / "SETUP.bin").string()) +
                   " (no catalogue *.bin in that " + where + ")");
    } else {
        std::string names;
        for (const std::string& name : candidates) names += " " + EscapeName(name.c_str());
        PrintError("more than one catalogue in the " + std::string(where) + " " +
                   EscapeName(dir.c_str()) + ":" + names + "; name the one to use");
    }
    return ExitBadInput;
}

// The whole file at a Windows path, read through the platform (a directory or an image).
std::vector<uint8_t> ReadWholeFile(const char* path) {
    std::vector<uint8_t> bytes;
    PlatformFile file = PlatformOpenRead(path);
    uint8_t chunk[32768];
    int32_t n;
    while (file != PlatformNoFile && (n = PlatformRead(file, chunk, sizeof chunk)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    PlatformClose(file);
    return bytes;
}

// Why the loader refused the catalogue at path as damaged, with the numbers: " (...)", or ""
// when the file reads back sound (it changed, or the failure was not about its contents).
std::string CatalogueDamage(const char* path) {
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    if (bytes.size() < CatalogueHeaderSize)
        return " (the file holds " + std::to_string(bytes.size()) + " bytes, fewer than the " +
               std::to_string(CatalogueHeaderSize) + " of its header)";
    CatalogueHeader header;
    std::memcpy(&header, bytes.data(), sizeof header);
    if (std::memchr(header.ProgramName, 0, sizeof header.ProgramName) == nullptr)
        return " (the header's program name has no terminating zero in its " +
               std::to_string(HeaderProgramNameSize) + " bytes)";
    if (std::memchr(header.Title, 0, sizeof header.Title) == nullptr)
        return " (the header's title has no terminating zero in its " +
               std::to_string(HeaderTitleSize) + " bytes)";
    const uint8_t* area = bytes.data() + CatalogueHeaderSize;
    uint32_t size = static_cast<uint32_t>(bytes.size() - CatalogueHeaderSize);
    uint32_t count = ReadU16(header.RecordCountBytes);
    uint32_t bad = FirstBadRecord(area, size, count);
    if (bad == count) return "";
    uint32_t at = 0;
    for (uint32_t i = 0; i < bad; ++i) at += ReadU16(area + at);
    std::string what = " (the header counts " + std::to_string(count) + " records; record " +
                       std::to_string(bad + 1) + " at offset " +
                       std::to_string(CatalogueHeaderSize + at);
    uint32_t length = size - at >= 2 ? ReadU16(area + at) : 0;
    if (size - at < 2 || length > size - at)
        return what + " does not lie whole within the file's " + std::to_string(bytes.size()) +
               " bytes)";
    return what + " is malformed: its Length of " + std::to_string(length) +
           " bytes does not hold its fields, name and Segment list with their ends)";
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
    } else if (HasBinExtension(given)) {
        package->diskDirectory = given.parent_path().string();
        catalogue = given.filename().string();
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
    std::string windowsPath = "A:\\" + catalogue;
    std::string host = PosixHostPath(windowsPath.c_str());
    std::string damage = status == MsgReadError ? CatalogueDamage(windowsPath.c_str()) : "";
    PrintError(StatusText(status, host) + damage);
    return status == MsgNoMemory ? ExitFailed : ExitBadInput;
}

std::string EscapeName(const char* name) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        if (*p < 0x20 || *p >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", *p);
            out += hex;
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out;
}

std::string AnsiToUtf8(const char* text) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x80) {
            out += static_cast<char>(*p);
        } else {
            out += static_cast<char>(0xC0 | (*p >> 6));
            out += static_cast<char>(0x80 | (*p & 0x3F));
        }
    }
    return out;
}

void PrintError(const std::string& message) { std::fprintf(stderr, "disksetup: %s\n", message.c_str()); }

std::string StatusText(StatusCode code, const std::string& subject) {
    char text[1024];
    FormatMessageText(text, sizeof text, code, EscapeName(subject.c_str()).c_str());
    return text;
}
