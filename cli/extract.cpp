// disksetup extract: every installed record of a package (with --all, every record) expanded
// below an output directory, whatever the names say.
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/install_answers.h"

#include "install/placement.h"
#include "install/transfer.h"
#include "package/volume.h"
#include "install/transfer_screen.h"
#include "package/catalogue.h"
#include "base/paths.h"
#include "platform/posix/posix_platform.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr char OutputDrive = 'O'; // the output directory as a drive: nothing lies above its root

// The path below the output drive for a catalogue Name: a drive letter and leading
// backslashes (a rooted or UNC name) are dropped, so every name starts at the drive's root,
// and '..' never climbs above it. False for a name that leaves no file name, or for one too
// long to fit, whose length *tooLong then holds (0 otherwise).
bool ExtractionPath(const char* name, char* path, size_t* tooLong) {
    const char* rest = name;
    if (rest[0] != '\0' && rest[1] == ':') rest += 2;
    while (*rest == '\\' || *rest == '/')
        ++rest;
    std::snprintf(path, PathSize, "%c:\\", OutputDrive);
    *tooLong = 0;
    if (!AppendText(path, PathSize, rest)) {
        *tooLong = std::strlen(rest);
        return false;
    }
    std::string host = PosixHostPath(path);
    return !host.empty() && host != PosixDriveRoot(OutputDrive);
}

bool Installed(const uint8_t* record) {
    return (RecordFlags(record) & FlagNotInstalled) == 0;
}
bool AnyRecord(const uint8_t*) {
    return true;
}

uint32_t Written; // files extracted
uint32_t Refused; // names that leave no path below the output, skipped

// Expands record to its path below the output drive; a name that gives none is skipped with
// the reason, which is no failure of the run.
StatusCode ExtractRecord(const uint8_t* record) {
    char path[PathSize] = {};
    size_t tooLong = 0;
    if (ExtractionPath(RecordName(record), path, &tooLong)) {
        StatusCode status = PlaceFileAt(record, path);
        Written += status == StatusOk;
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
    return StatusOk;
}

// Expands every wanted record through the engine's pass; returns the first failing status
// (after which nothing more is extracted).
StatusCode ExtractAll(bool all) {
    RecordFilter wanted = all ? &AnyRecord : &Installed;
    StartTransferTally(wanted);
    Written = Refused = 0;
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
    if (status == StatusOk) status = ExtractAll(options.all);
    ReleaseVolumeReader();
    StopBoxAnswers();
    code = ReportTransferStop(status);
    std::printf("%u file%s extracted to %s\n", Written, Written == 1 ? "" : "s",
                EscapeHostName(options.output).c_str());
    if (code != ExitOk) return code;
    return Refused ? ExitBadInput : ExitOk;
}
