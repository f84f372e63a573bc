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
#include "package/paths.h"
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

bool Wanted(const uint8_t* record, bool all) {
    return all || (RecordFlags(record) & FlagNotInstalled) == 0;
}

// Expands every wanted record; returns the first failing status (after which nothing more is
// extracted) and counts the files written.
StatusCode ExtractAll(bool all, uint32_t* written, uint32_t* refused) {
    uint32_t total = 0, done = 0;
    const uint8_t* record = FirstRecord();
    for (uint16_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record))
        total += Wanted(record, all);
    StatusCode status = StatusOk;
    BeginTransferScreen();
    UpdateProgress(0);
    record = FirstRecord();
    for (uint16_t i = 0; i < CatalogueRecordCount() && status == StatusOk;
         ++i, record = NextRecord(record)) {
        if (!Wanted(record, all) || PumpTransferMessages() != 0) continue;
        char path[PathSize] = {};
        ShowTransferName(RecordName(record));
        size_t tooLong = 0;
        if (ExtractionPath(RecordName(record), path, &tooLong)) {
            status = PlaceFileAt(record, path);
            *written += status == StatusOk;
        } else if (tooLong != 0) {
            PrintError(EscapeName(RecordName(record)) + ": the name is " +
                       std::to_string(tooLong) + " characters, more than the " +
                       std::to_string(PathSize - 4) + " a path below the output allows; skipped");
            ++*refused;
        } else {
            PrintError(EscapeName(RecordName(record)) +
                       ": the name leaves no file name below the output; skipped");
            ++*refused;
        }
        UpdateProgress(TransferPercent(++done, total));
    }
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
        PrintError("cannot create the output directory " + EscapeName(options.output.c_str()));
        return ExitFailed;
    }
    PosixMapDrive(OutputDrive, fs::absolute(options.output).lexically_normal().string());
    StartBoxAnswers(folders, BoxPolicy::Ask);
    StatusCode status = PrepareVolumeReader();
    uint32_t written = 0, refused = 0;
    if (status == StatusOk) status = ExtractAll(options.all, &written, &refused);
    ReleaseVolumeReader();
    StopBoxAnswers();
    code = ReportTransferStop(status);
    std::printf("%u file%s extracted to %s\n", written, written == 1 ? "" : "s",
                EscapeName(options.output.c_str()).c_str());
    if (code != ExitOk) return code;
    return refused ? ExitBadInput : ExitOk;
}
