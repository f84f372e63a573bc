// Finding a package's disks beside disk 1, and answering disk prompts by re-mapping drive A:.
#include "cli/disks.h"

#include "cli/cli.h"
#include "lzhuf/decoder.h"

#include "package/catalogue.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"

#include <strings.h>

#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

std::string AddDiskOption(const std::string& text, DiskFolders* folders) {
    size_t equals = text.find('=');
    std::string number = text.substr(0, equals);
    if (equals == std::string::npos || equals + 1 == text.size() || number.empty() ||
        number.size() > 5 || number.find_first_not_of("0123456789") != std::string::npos)
        return "--disk " + text + ": expected N=DIR";
    unsigned long disk = std::stoul(number);
    if (disk < 1 || disk > 0xFFFF) return "--disk " + text + ": disk numbers run from 1 to 65535";
    folders->given[static_cast<unsigned>(disk)] = text.substr(equals + 1);
    return "";
}

namespace {

// Names that disk n's directory may bear beside disk 1's directory, named first.
std::vector<std::string> CandidateNames(const std::string& firstName, unsigned disk) {
    std::string n = std::to_string(disk);
    std::vector<std::string> names = {"disk" + n, "Disk" + n, "DISK" + n};
    // A first disk named "cd1" or "Setup-1" has siblings with the same stem.
    size_t size = firstName.size();
    if (size > 1 && firstName[size - 1] == '1' &&
        !std::isdigit(static_cast<unsigned char>(firstName[size - 2]))) {
        std::string named = firstName.substr(0, firstName.size() - 1) + n;
        if (strcasecmp(named.c_str(), names[0].c_str()) != 0) names.push_back(named);
    }
    return names;
}

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

struct DiskSearch {
    std::string directory;          // "" when no directory was found
    std::vector<std::string> tried; // host paths looked at, in order
};

// Disk n's directory: the one given for it; for disk 1 the first disk; otherwise a sibling of
// disk 1 named diskN, DiskN or DISKN, or named like disk 1 with N in place of its trailing 1
// ("cd1" -> "cd2"), found by those names and then by a scan that ignores case.
DiskSearch FindDiskFolder(const DiskFolders& folders, unsigned disk) {
    DiskSearch search;
    auto given = folders.given.find(disk);
    if (given != folders.given.end() || disk == 1) {
        std::string dir = given != folders.given.end() ? given->second : folders.firstDisk;
        search.tried.push_back(dir);
        if (IsDirectory(dir)) search.directory = dir;
        return search;
    }
    fs::path first = fs::absolute(folders.firstDisk).lexically_normal();
    if (first.filename().empty()) first = first.parent_path();
    fs::path parent = first.parent_path();
    std::vector<std::string> names = CandidateNames(first.filename().string(), disk);
    for (const std::string& name : names) {
        search.tried.push_back((parent / name).string());
        if (IsDirectory(parent / name)) {
            search.directory = (parent / name).string();
            return search;
        }
    }
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(parent, error)) {
        for (const std::string& name : names)
            if (strcasecmp(entry.path().filename().c_str(), name.c_str()) == 0 &&
                IsDirectory(entry.path())) {
                search.directory = entry.path().string();
                return search;
            }
    }
    search.tried.push_back(parent.string() + " (any case)");
    return search;
}

struct AnswerState {
    DiskFolders folders;
    std::vector<std::string> notes;
    unsigned lastPrompt = 0; // disk of the last prompt answered OK in this file, 0 for none
};
AnswerState* Answers = nullptr;

std::string Join(const std::vector<std::string>& paths) {
    std::string out;
    for (const std::string& p : paths)
        out += (out.empty() ? "" : ", ") + EscapeName(p.c_str());
    return out;
}

// Why the Volume under VolumePath is not disk `disk`: the number it holds, or its size.
std::string WrongVolumeNote(unsigned disk) {
    std::string host = PosixHostPath(VolumePath);
    std::ifstream in(host, std::ios::binary);
    unsigned char number[2] = {};
    in.read(reinterpret_cast<char*>(number), 2);
    std::string what = in.gcount() == 2 ? "holds disk " + std::to_string(number[0] | number[1] << 8)
                                        : "is too short to hold a disk number";
    return "disk " + std::to_string(disk) + ": the Volume " + EscapeName(host.c_str()) + " " +
           what + ", not disk " + std::to_string(disk);
}

int AnswerPrompt() {
    std::string problem;
    int answer = AnswerDiskPrompt(Answers->folders, &Answers->lastPrompt, &problem);
    if (!problem.empty()) Answers->notes.push_back(problem);
    return answer;
}

// Where the reader was when a box about the record's data came up: the piece and its Volume.
std::string PieceContext() {
    if (SegmentCursor == nullptr || CurrentRecord == nullptr ||
        SegmentCursor <= RecordFirstSegment(CurrentRecord))
        return "";
    ReaderPiece piece = CurrentPiece();
    return " (reading the piece at offset " + std::to_string(piece.offset) + " of " +
           std::to_string(piece.length) + " bytes from the Volume of disk " +
           std::to_string(piece.disk) + ", " + piece.host + ", " + piece.volumeSize + " bytes)";
}

int AnswerBox(PlatformWindow, const char* text, const char*, uint32_t type) {
    // PromptForDisk's is the engine's only OK / Cancel box.
    if ((type & 0x0F) == BoxOkCancel) return AnswerPrompt();
    // Name the Volume by its host path and disk rather than by the drive letter A:.
    std::string note = text;
    size_t at = note.find(VolumePath);
    if (VolumePath[0] != '\0' && at != std::string::npos)
        note.replace(at, std::string(VolumePath).size(),
                     PosixHostPath(VolumePath) + " (the Volume of disk " +
                         std::to_string(CurrentDisk) + ")");
    else if (StreamOverrun())
        note += OverrunContext();
    else
        note += PieceContext();
    Answers->notes.push_back(EscapeName(note.c_str()));
    return (type & 0x0F) == BoxOk ? AnswerOk : AnswerCancel;
}

} // namespace

ReaderPiece CurrentPiece() {
    const uint8_t* segment = SegmentCursor - SegmentSize;
    ReaderPiece piece{ReadU16(segment), ReadU32(segment + 2), ReadU32(segment + 6),
                      PosixHostPath(VolumePath), "?"};
    std::error_code error;
    uintmax_t size = fs::file_size(piece.host, error);
    if (!error) piece.volumeSize = std::to_string(size);
    return piece;
}

std::string OverrunContext() {
    if (!StreamOverrun()) return "";
    return " (its stored data ends before its size of " + std::to_string(StreamClaimedSize()) +
           " bytes is reached)";
}

int AnswerDiskPrompt(const DiskFolders& folders, unsigned* lastDisk, std::string* problem) {
    unsigned disk = CurrentDisk;
    if (*lastDisk == disk) {
        *problem = WrongVolumeNote(disk);
        *lastDisk = 0;
        return AnswerCancel;
    }
    DiskSearch search = FindDiskFolder(folders, disk);
    if (search.directory.empty()) {
        *problem = "disk " + std::to_string(disk) + " is missing; tried " + Join(search.tried) +
                   " (give it with --disk " + std::to_string(disk) + "=DIR)";
        *lastDisk = 0;
        return AnswerCancel;
    }
    PosixMapDrive('A', search.directory);
    *lastDisk = disk;
    return AnswerOk;
}

void StartDiskAnswers(const DiskFolders& folders) {
    delete Answers;
    Answers = new AnswerState{folders, {}, 0};
    PlatformSetMessageBoxHook(&AnswerBox);
}

void StopDiskAnswers() {
    PlatformSetMessageBoxHook(nullptr);
    delete Answers;
    Answers = nullptr;
}

void StartFileForDiskAnswers() {
    if (Answers) Answers->lastPrompt = 0;
}

std::vector<std::string> TakeDiskNotes() {
    std::vector<std::string> notes;
    if (Answers) notes.swap(Answers->notes);
    return notes;
}
