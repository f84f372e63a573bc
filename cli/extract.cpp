// disksetup extract: every installed record of a package (with --all, every record) expanded
// below an output directory, whatever the names say.
#include "cli/box_answers.h"
#include "cli/cli.h"
#include "cli/commands.h"

#include "base/paths.h"
#include "install/placement.h"
#include "install/transfer.h"
#include "install/transfer_screen.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr char OutputDrive = 'O'; // the output directory as a drive: nothing lies above its root

// The catalogue Name without its drive letter and leading backslashes: where it lies below
// the output.
const char* BelowTheDrive(const char* name) {
    if (name[0] != '\0' && name[1] == ':') name += 2;
    while (*name == '\\' || *name == '/')
        ++name;
    return name;
}

// The path below the output drive for a catalogue Name: a drive letter and leading
// backslashes (a rooted or UNC name) are dropped, so every name starts at the drive's root,
// and '..' never climbs above it. False for a name that leaves no file name, or for one too
// long to fit, whose length *tooLong then holds (0 otherwise).
bool ExtractionPath(const char* name, char* path, size_t* tooLong) {
    const char* rest = BelowTheDrive(name);
    std::snprintf(path, PathSize, "%c:\\", OutputDrive);
    *tooLong = 0;
    if (!AppendText(path, PathSize, rest)) {
        *tooLong = std::strlen(rest);
        return false;
    }
    std::string host = PosixHostPath(path);
    return !host.empty() && host != PosixDriveRoot(OutputDrive);
}

// Whether pattern (Windows wildcards: '*' any run of characters, '?' one) matches text, in any
// letter case, '/' and '\\' alike.
bool WildcardMatch(const char* pattern, const char* text) {
    auto fold = [](char c) {
        return c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*text != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = text;
        } else if (*pattern != '\0' && (*pattern == '?' || fold(*pattern) == fold(*text))) {
            ++pattern;
            ++text;
        } else if (star != nullptr) {
            pattern = star + 1;
            text = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

ExtractOptions Options; // of the run under way

// Whether a record is extracted: installed ones (with --all every one), and with --include
// those whose name, or a directory above it, a pattern matches.
bool Wanted(const uint8_t* record) {
    if (!Options.all && (RecordFlags(record) & FlagNotInstalled) != 0) return false;
    if (Options.include.empty()) return true;
    std::string name = BelowTheDrive(RecordName(record));
    for (const std::string& pattern : Options.include) {
        if (WildcardMatch(pattern.c_str(), name.c_str())) return true;
        for (size_t at = name.find_first_of("\\/"); at != std::string::npos;
             at = name.find_first_of("\\/", at + 1))
            if (WildcardMatch(pattern.c_str(), name.substr(0, at).c_str())) return true;
    }
    return false;
}

// A path in the package's code page made lower case: ASCII, and in code page 1252 its
// capitals too (other code pages place theirs elsewhere; they keep them).
void LowerCase(char* path) {
    bool latin = AnsiCodePage() == DefaultCodePage;
    for (unsigned char* c = reinterpret_cast<unsigned char*>(path); *c != 0; ++c) {
        if (*c >= 'A' && *c <= 'Z')
            *c = static_cast<unsigned char>(*c + 0x20);
        else if (!latin)
            continue;
        else if (*c >= 0xC0 && *c <= 0xDE && *c != 0xD7)
            *c = static_cast<unsigned char>(*c + 0x20);
        else if (*c == 0x8A || *c == 0x8C || *c == 0x8E)
            *c = static_cast<unsigned char>(*c + 0x10);
        else if (*c == 0x9F)
            *c = 0xFF;
    }
}

uint32_t Written;             // files extracted
uint32_t Refused;             // names that leave no path below the output, skipped
uint32_t Kept;                // files that existed already, kept (--skip-existing)
nlohmann::ordered_json Files; // with --json: each wanted record's result

// With --json: the record's result; path (below the output drive, "" for none) and size for
// the files extracted or kept.
void NoteFile(const uint8_t* record, const char* result, const char* path, uint64_t size) {
    if (!Options.json) return;
    nlohmann::ordered_json file = {{"name", AnsiToUtf8(RecordName(record))},
                                   {"flagNames", FlagNames(record)},
                                   {"result", result}};
    if (path[0] != '\0') {
        std::string below = AnsiToUtf8(path + 3); // below "O:\\"
        std::replace(below.begin(), below.end(), '\\', '/');
        file["path"] = below;
    }
    if (std::strcmp(result, "extracted") == 0) file["size"] = size;
    Files.push_back(file);
}

// Expands record to its path below the output drive; a name that gives none is skipped with
// the reason, which is no failure of the run.
StatusCode ExtractRecord(const uint8_t* record) {
    char path[PathSize] = {};
    size_t tooLong = 0;
    if (ExtractionPath(RecordName(record), path, &tooLong)) {
        if (Options.lowercase) LowerCase(path + 3); // below "O:\\"
        std::error_code error;
        if (Options.skipExisting && fs::exists(fs::symlink_status(PosixHostPath(path), error))) {
            ++Kept;
            NoteFile(record, "kept", path, 0);
            return StatusOk;
        }
        StatusCode status = PlaceFileAt(record, path);
        Written += status == StatusOk;
        NoteFile(record, status == StatusOk ? "extracted" : "failed", path, OutputWritten);
        return status;
    }
    if (tooLong != 0)
        PrintError(EscapeName(RecordName(record)) + ": the name is " + std::to_string(tooLong) +
                   " characters, more than the " + std::to_string(PathSize - 4) +
                   " a path below the output allows; skipped");
    else
        PrintError(EscapeName(RecordName(record)) +
                   ": the name leaves no file name below the output; skipped");
    ++Refused;
    NoteFile(record, "refused", "", 0);
    return StatusOk;
}

// Expands every wanted record through the engine's pass; returns the first failing status
// (after which nothing more is extracted).
StatusCode ExtractAll() {
    RecordFilter wanted = &Wanted;
    StartTransferTally(wanted);
    Written = Refused = Kept = 0;
    Files = nlohmann::ordered_json::array();
    BeginTransferScreen();
    UpdateProgress(0);
    StatusCode status = RunRecordPass(wanted, &ExtractRecord);
    if (status == StatusOk) status = TransferDialogResult();
    EndTransferScreen();
    return status;
}

} // namespace

int RunExtract(const ExtractOptions& options) {
    DiskFolders folders;
    int code = OpenPackageDisks(options.path, options.disks, &folders);
    if (code != ExitOk) return code;
    std::error_code error;
    fs::create_directories(options.output, error);
    if (error || !fs::is_directory(options.output)) {
        PrintError("cannot create the output directory " + EscapeHostName(options.output));
        return ExitFailed;
    }
    PosixMapDrive(OutputDrive, fs::absolute(options.output).lexically_normal().string());
    StartBoxAnswers(folders, BoxPolicy::Ask);
    StatusCode status = PrepareVolumeReader();
    Options = options;
    if (status == StatusOk) status = ExtractAll();
    ReleaseVolumeReader();
    StopBoxAnswers();
    code = ReportTransferStop(status);
    std::fprintf(Report, "%u file%s extracted to %s", Written, Written == 1 ? "" : "s",
                 EscapeHostName(options.output).c_str());
    std::fprintf(Report, options.skipExisting ? ", %u already there kept\n" : "\n", Kept);
    if (options.json)
        std::printf("%s\n", nlohmann::ordered_json({{"format", JsonFormat},
                                                    {"command", "extract"},
                                                    {"output", EscapeHostName(options.output)},
                                                    {"extracted", Written},
                                                    {"kept", Kept},
                                                    {"refused", Refused},
                                                    {"complete", status == StatusOk},
                                                    {"files", Files}})
                                .dump(2)
                                .c_str());
    if (code != ExitOk) return code;
    return Refused ? ExitBadInput : ExitOk;
}
