// Windows paths on a POSIX host: drive letters mapped onto directories, lexical '..', and
// components matched without regard to case.
#include "platform/posix/code_page.h"
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

#include "base/paths.h"
#include "fat/image_reader.h"

#include <dirent.h>
#include <sys/stat.h>

#include <map>
#include <vector>

namespace {

std::map<char, std::string> DriveRoots;
std::map<char, std::shared_ptr<const FatImage>> DriveImages; // drives mapped onto images
std::string CurrentDirectory; // Windows form, ending in a backslash; "" when none

char DriveKey(char letter) {
    return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 32) : letter;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Splits the part of a path after its drive into components and adds them to parts (the
// components already there), applying '.' and '..' lexically; '..' at the root stays there.
void AddComponents(std::vector<std::string>& parts, const std::string& text) {
    std::string part;
    auto flush = [&] {
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (char c : text) {
        if (IsSeparator(c))
            flush();
        else
            part += c;
    }
    flush();
}

// Finds the ANSI name in the host directory dir: its UTF-8 spelling, else a host name whose
// ANSI spelling matches it without regard to case, as Windows folds it. The host name found,
// or the UTF-8 spelling for a new one.
std::string MatchComponent(const std::string& dir, const std::string& name) {
    std::string host = AnsiToUtf8(name);
    struct stat st;
    if (lstat((dir + "/" + host).c_str(), &st) == 0) return host;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return host;
    std::string found = host, ansi;
    while (dirent* e = readdir(d)) {
        if (Utf8ToAnsi(e->d_name, &ansi) && SameTextIgnoringCase(ansi.c_str(), name.c_str())) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

} // namespace

bool ResolveWindowsPath(const char* path, char* drive, std::vector<std::string>* parts) {
    std::string text = path;
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) return false; // UNC
    parts->clear();
    if (text.size() >= 2 && text[1] == ':') {
        *drive = DriveKey(text[0]);
        text = text.substr(2);
        if (text.empty() || !IsSeparator(text[0])) {
            // Drive-relative: from the current directory when it lies on that drive.
            if (!CurrentDirectory.empty() && DriveKey(CurrentDirectory[0]) == *drive)
                AddComponents(*parts, CurrentDirectory.substr(2));
        }
    } else {
        if (CurrentDirectory.empty()) return false;
        *drive = DriveKey(CurrentDirectory[0]);
        if (text.empty() || !IsSeparator(text[0]))
            AddComponents(*parts, CurrentDirectory.substr(2));
    }
    if (DriveRoots.find(*drive) == DriveRoots.end()) return false;
    AddComponents(*parts, text);
    return true;
}

// The names of the components in the image, as far as they exist there.
std::string ImageHostPath(const std::string& root, const FatImage& image,
                          const std::vector<std::string>& parts) {
    std::string host = root;
    std::vector<std::string> walked;
    for (const std::string& part : parts) {
        walked.push_back(part);
        int32_t node = FindFatNode(image, walked);
        host += "/" + AnsiToUtf8(node > 0 ? image.nodes[node].name : part);
    }
    return host;
}

std::string HostPathOf(char drive, const std::vector<std::string>& parts) {
    std::string host = DriveRoots[drive];
    if (const FatImage* image = DriveImage(drive)) return ImageHostPath(host, *image, parts);
    for (const std::string& part : parts)
        host += "/" + MatchComponent(host, part);
    return host;
}

std::string WindowsPathOf(char drive, const std::vector<std::string>& parts) {
    std::string path(1, drive);
    path += ":\\";
    for (size_t i = 0; i < parts.size(); ++i)
        path += (i ? "\\" : "") + parts[i];
    return path;
}

void SetCurrentWindowsDirectory(const std::string& path) {
    CurrentDirectory = path;
    if (!CurrentDirectory.empty() && CurrentDirectory.back() != '\\') CurrentDirectory += '\\';
}

const FatImage* DriveImage(char drive) {
    auto it = DriveImages.find(DriveKey(drive));
    return it == DriveImages.end() ? nullptr : it->second.get();
}

const FatImage* ImageOf(const char* path, std::vector<std::string>* parts) {
    char drive = 0;
    if (!ResolveWindowsPath(path, &drive, parts)) return nullptr;
    return DriveImage(drive);
}

void PosixMapDriveImage(char letter, const std::string& hostImage,
                        std::shared_ptr<const FatImage> image) {
    PosixMapDrive(letter, hostImage);
    if (image && !hostImage.empty()) DriveImages[DriveKey(letter)] = std::move(image);
}

void PosixMapDrive(char letter, const std::string& hostDirectory) {
    char key = DriveKey(letter);
    DriveImages.erase(key);
    if (hostDirectory.empty()) {
        DriveRoots.erase(key);
        return;
    }
    std::string root = hostDirectory;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    DriveRoots[key] = root;
}

void PosixResetDrives() {
    DriveRoots.clear();
    DriveImages.clear();
    CurrentDirectory.clear();
}

std::string PosixDriveRoot(char letter) {
    auto it = DriveRoots.find(DriveKey(letter));
    return it == DriveRoots.end() ? std::string() : it->second;
}

std::string PosixHostPath(const char* windowsPath) {
    char drive = 0;
    std::vector<std::string> parts;
    if (!ResolveWindowsPath(windowsPath, &drive, &parts)) return std::string();
    return HostPathOf(drive, parts);
}

std::string PosixWindowsPath(const std::string& hostPath) {
    for (const auto& [letter, root] : DriveRoots) {
        if (hostPath == root) return std::string(1, letter) + ":\\";
        if (hostPath.size() > root.size() && hostPath.compare(0, root.size(), root) == 0 &&
            hostPath[root.size()] == '/') {
            std::string ansi;
            if (!Utf8ToAnsi(hostPath.substr(root.size()), &ansi)) return std::string();
            std::vector<std::string> parts;
            AddComponents(parts, ansi);
            return WindowsPathOf(letter, parts);
        }
    }
    return std::string();
}

std::string PosixCurrentDirectory() {
    return CurrentDirectory;
}
