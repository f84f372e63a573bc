// Finding a package's disks beside disk 1, as directories or disk images, and answering disk
// prompts by re-mapping drive A:.
#include "cli/disks.h"

#include "cli/cli.h"
#include "cli/open_package.h"
#include "cli/problem_text.h"
#include "fat/image_reader.h"
#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <cctype>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

std::string AddDiskOption(const std::string& text, DiskFolders* folders) {
    size_t equals = text.find('=');
    std::string number = text.substr(0, equals);
    if (equals == std::string::npos || equals + 1 == text.size() || number.empty() ||
        number.size() > 5 || number.find_first_not_of("0123456789") != std::string::npos)
        return "--disk " + text + ": expected N=PATH";
    unsigned long disk = std::stoul(number);
    if (disk < 1 || disk > 0xFFFF) return "--disk " + text + ": disk numbers run from 1 to 65535";
    folders->given[static_cast<unsigned>(disk)] = text.substr(equals + 1);
    return "";
}

namespace {

// The names a series of disks gives disk `disk` when stem is disk 1's: each number 1 in stem
// made disk's number, as wide as the 1 was written, from the last number to the first
// ("cd1", "GAME_01", "Orbit - Disk 1", "Orbit (Disk 1 of 3)", "Orbit (Disk 1)"); then a
// single letter A at the end after a separator made disk's letter ("GAME-A" -> "GAME-B").
std::vector<std::string> RenumberedNames(const std::string& stem, unsigned disk) {
    std::vector<std::string> names;
    std::string n = std::to_string(disk);
    size_t end = stem.size();
    while (end > 0) {
        size_t last = stem.find_last_of("0123456789", end - 1);
        if (last == std::string::npos) break;
        size_t first = stem.find_last_not_of("0123456789", last);
        first = first == std::string::npos ? 0 : first + 1;
        size_t width = last + 1 - first;
        if (width <= 9 && std::stoul(stem.substr(first, width)) == 1)
            names.push_back(stem.substr(0, first) +
                            std::string(n.size() < width ? width - n.size() : 0, '0') + n +
                            stem.substr(last + 1));
        end = first;
    }
    size_t size = stem.size();
    if (disk <= 26 && size >= 2 && (stem[size - 1] == 'A' || stem[size - 1] == 'a') &&
        std::strchr(" -_.", stem[size - 2]) != nullptr)
        names.push_back(stem.substr(0, size - 1) + static_cast<char>(stem[size - 1] + disk - 1));
    return names;
}

void AddName(std::vector<std::string>& names, const std::string& name) {
    for (const std::string& taken : names)
        if (taken == name) return;
    names.push_back(name);
}

// Names that disk n may bear beside disk 1, tried in this order (and then in any case).
// Beside a directory: diskN, DiskN, DISKN, then disk 1's name renumbered (RenumberedNames).
// Beside an image: its stem renumbered with its extension, then diskN with its extension.
std::vector<std::string> CandidateNames(const fs::path& first, bool image, unsigned disk) {
    std::string n = std::to_string(disk);
    std::vector<std::string> names;
    std::string extension = image ? first.extension().string() : "";
    std::string stem = image ? first.stem().string() : first.filename().string();
    std::vector<std::string> renumbered = RenumberedNames(stem, disk);
    if (image)
        for (const std::string& name : renumbered)
            AddName(names, name + extension);
    // Beside an image the scan in any case stands in for the other spellings.
    const char* prefixes[] = {"disk", "Disk", "DISK"};
    for (size_t i = 0; i < (image ? 1 : 3); ++i)
        AddName(names, prefixes[i] + n + extension);
    for (const std::string& name : renumbered)
        AddName(names, name + extension);
    return names;
}

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// A disk can be a directory or a file (an image, whatever its name; reading it tells).
bool IsDisk(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error) || fs::is_regular_file(path, error);
}

struct DiskSearch {
    std::string disk;               // directory or image found; "" when none
    std::vector<std::string> tried; // host paths looked at, in order
};

// Disk n: the directory or image given for it; for disk 1 the first disk; otherwise a sibling
// of disk 1 bearing one of its CandidateNames, found by those names and then by a scan that
// ignores case.
DiskSearch FindDisk(const DiskFolders& folders, unsigned disk) {
    DiskSearch search;
    auto given = folders.given.find(disk);
    if (given != folders.given.end() || disk == 1) {
        std::string path = given != folders.given.end() ? given->second : folders.firstDisk;
        search.tried.push_back(path);
        if (IsDisk(path)) search.disk = path;
        return search;
    }
    fs::path first = fs::absolute(folders.firstDisk).lexically_normal();
    if (first.filename().empty()) first = first.parent_path();
    fs::path parent = first.parent_path();
    std::vector<std::string> names = CandidateNames(first, !IsDirectory(first), disk);
    for (const std::string& name : names) {
        search.tried.push_back((parent / name).string());
        if (IsDisk(parent / name)) {
            search.disk = (parent / name).string();
            return search;
        }
    }
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(parent, error)) {
        for (const std::string& name : names)
            if (strcasecmp(entry.path().filename().c_str(), name.c_str()) == 0 &&
                IsDisk(entry.path())) {
                search.disk = entry.path().string();
                return search;
            }
    }
    search.tried.push_back(parent.string() + " (any case)");
    return search;
}

std::string Join(const std::vector<std::string>& paths) {
    std::string out;
    for (const std::string& p : paths)
        out += (out.empty() ? "" : ", ") + EscapeHostName(p);
    return out;
}

} // namespace

int AnswerDiskPrompt(const DiskFolders& folders, unsigned disk, const Problem* wrongVolume,
                     unsigned* lastDisk, std::string* problem) {
    if (*lastDisk == disk) {
        *problem = wrongVolume != nullptr
                       ? WrongVolumeText(*wrongVolume)
                       : "disk " + std::to_string(disk) +
                             " is asked for again: what it should hold is not on it";
        *lastDisk = 0;
        return AnswerCancel;
    }
    DiskSearch search = FindDisk(folders, disk);
    if (search.disk.empty()) {
        *problem = "disk " + std::to_string(disk) + " is missing; tried " + Join(search.tried) +
                   " (give it with --disk " + std::to_string(disk) + "=PATH)";
        *lastDisk = 0;
        return AnswerCancel;
    }
    std::string unreadable = MapDiskDrive(search.disk);
    if (!unreadable.empty()) {
        *problem = "disk " + std::to_string(disk) + ": " + unreadable;
        *lastDisk = 0;
        return AnswerCancel;
    }
    *lastDisk = disk;
    return AnswerOk;
}

std::string LoadDiskImage(const std::string& host, std::shared_ptr<const FatImage>* image) {
    static std::map<std::string, std::shared_ptr<const FatImage>> loaded;
    auto known = loaded.find(host);
    if (known != loaded.end()) {
        *image = known->second;
        return "";
    }
    std::string name = EscapeHostName(host);
    std::error_code error;
    uintmax_t size = fs::file_size(host, error);
    if (error) return name + " cannot be read as a disk image: " + error.message();
    if (size > MaxFatImageBytes)
        return name + " is " + std::to_string(size) + " bytes, more than the " +
               std::to_string(MaxFatImageBytes) + " of any disk image read here";
    // The image stays open and is read as its files are: memory holds its FAT and directories,
    // never its data.
    int descriptor = open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return name + " cannot be read as a disk image: " + std::strerror(errno);
    std::shared_ptr<int> file(new int(descriptor), [](int* d) {
        close(*d);
        delete d;
    });
    auto read = [file](uint64_t offset, uint8_t* out, size_t count) {
        while (count > 0) {
            ssize_t got = pread(*file, out, count, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            out += got;
            count -= static_cast<size_t>(got);
            offset += static_cast<uint64_t>(got);
        }
        return true;
    };
    std::string problem;
    *image = OpenFatImage(read, size, &problem);
    if (!*image) return "the disk image " + name + " cannot be used: " + EscapeHostName(problem);
    loaded[host] = *image;
    return "";
}

std::string MapDiskDrive(const std::string& host) {
    if (IsDirectory(host)) {
        PosixMapDrive('A', host);
        return "";
    }
    std::shared_ptr<const FatImage> image;
    std::string problem = LoadDiskImage(host, &image);
    if (problem.empty()) PosixMapDriveImage('A', host, image);
    return problem;
}

int OpenPackageDisks(const std::string& path, const std::vector<std::string>& disks,
                     DiskFolders* folders) {
    OpenedPackage package;
    int code = OpenPackage(path, &package);
    if (code != ExitOk) return code;
    *folders = DiskFolders{package.diskDirectory, {}};
    for (const std::string& given : disks) {
        std::string problem = AddDiskOption(given, folders);
        if (!problem.empty()) {
            PrintError(problem);
            return ExitUsage;
        }
    }
    return ExitOk;
}
