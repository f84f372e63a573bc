// The removal: installed records back off the disk, with the directories they leave empty.
#include "uninstall/removal.h"

#include "base/name_safety.h"
#include "base/paths.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "install/transfer_screen.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "package/volume.h"

#include <cstring>

RemovalCounts RemovalTally;

namespace {

// Whether path lies strictly below directory (ending in a backslash), letter case ignored.
bool Below(const char* path, const char* directory) {
    size_t length = std::strlen(directory);
    if (std::strlen(path) <= length) return false;
    char head[PathSize] = {};
    std::memcpy(head, path, length < PathSize ? length : PathSize - 1);
    return SameTextIgnoringCase(head, directory);
}

// Whether path is the running uninstaller or its data file, which the caller removes last.
bool IsOwnFile(const char* path) {
    char own[PathSize] = {};
    PlatformProgramPath(own, PathSize);
    if (SameTextIgnoringCase(path, own)) return true;
    return ReplaceExtension(own, PathSize, ".bin") && SameTextIgnoringCase(path, own);
}

// A temporary that a stopped installation left is a file it made: removed with the rest.
void NoteRemovedTemporary(const char* path) {
    ++RemovalTally.removed;
    NoteRemoval(RemovedFile, path);
}

// Removes the directories of path, from its own upward, while each lies below SetupDir and
// the removal of a file left it empty.
void RemoveEmptiedDirectories(const char* path) {
    char directory[PathSize] = {};
    CopyText(directory, PathSize, path);
    for (;;) {
        char* cut = std::strrchr(directory, '\\');
        if (cut == nullptr) return;
        *cut = '\0';
        char withBackslash[PathSize] = {};
        CopyText(withBackslash, PathSize, directory);
        if (!AppendBackslash(withBackslash, PathSize) || !Below(withBackslash, SetupDir)) return;
        RemoveLeftoverTemporaries(withBackslash, &NoteRemovedTemporary);
        if (!PlatformRemoveDirectory(directory)) return;
        ++RemovalTally.directories;
        NoteRemoval(RemovedDirectory, directory);
    }
}

// Deletes path, asking Abort / Retry / Ignore while it cannot be deleted. Returns 0 (*gone
// tells whether it was deleted) or 2 after Abort.
StatusCode DeleteAsked(const char* path, bool* gone) {
    *gone = false;
    for (;;) {
        int result = PlatformDeleteFile(path);
        if (result == DeleteDone) {
            ++RemovalTally.removed;
            NoteRemoval(RemovedFile, path);
            *gone = true;
            return StatusOk;
        }
        if (result == DeleteNotFound) {
            ++RemovalTally.missing;
            NoteRemoval(MissingFile, path);
            return StatusOk;
        }
        int answer = AskAbortRetryIgnore(ProgressWindow, MsgCannotRemove, path);
        if (answer == AnswerRetry) continue;
        if (answer != AnswerIgnore) return StatusCancelled;
        ++RemovalTally.kept;
        NoteRemoval(KeptUndeletable, path);
        return StatusOk;
    }
}

void Keep(RemovalEvent event, const char* name) {
    ++RemovalTally.kept;
    NoteRemoval(event, name);
}

// Handles one installed record. Returns 0, or 2 after Abort.
StatusCode RemoveRecord(const uint8_t* record) {
    const char* name = RecordName(record);
    if (RecordIsShared(record)) {
        Keep(KeptShared, name);
        return StatusOk;
    }
    if (SameTextIgnoringCase(name, UnplacedDriverName)) {
        Keep(KeptDriver, name);
        return StatusOk;
    }
    bool uninstaller = false;
    // A rooted name or one with a drive letter lies below the root of SetupDir's drive; a
    // directory without a drive letter (a network path) leaves it only the current drive.
    if (!SafeCatalogueName(name, SetupDir[0] != '\0' && SetupDir[1] == ':')) {
        Keep(KeptUnsafeName, name);
        return StatusOk;
    }
    if (!BuildTargetPath(name, SetupDir, &uninstaller)) {
        Keep(KeptLongPath, name);
        return StatusOk;
    }
    char path[PathSize] = {};
    CopyText(path, PathSize, TargetPath);
    if (uninstaller || IsOwnFile(path)) return StatusOk;
    bool gone = false;
    StatusCode result = DeleteAsked(path, &gone);
    if (gone) RemoveEmptiedDirectories(path);
    return result;
}

uint32_t CountInstalledRecords() {
    uint32_t count = 0;
    const uint8_t* record = FirstRecord();
    for (uint16_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record))
        if ((RecordFlags(record) & FlagNotInstalled) == 0) ++count;
    return count;
}

} // namespace

int32_t KeptReasonText(RemovalEvent event) {
    switch (event) {
    case KeptShared: return StrKeptShared;
    case KeptDriver: return StrKeptDriver;
    case KeptUnsafeName: return StrKeptUnsafeName;
    case KeptUndeletable: return StrKeptUndeletable;
    case KeptLongPath: return StrKeptLongPath;
    default: return 0;
    }
}

bool ConfirmRemoval(PlatformWindow owner) {
    char text[512] = {};
    FormatMessageText(text, sizeof text, MsgConfirmRemoval, Header.Title);
    return PlatformMessageBox(owner, text, Header.Title, BoxYesNo | BoxIconQuestion) == AnswerYes;
}

StatusCode RemoveInstalledFiles() {
    RemovalTally = RemovalCounts{CountInstalledRecords(), 0, 0, 0, 0, 0};
    if (!BeginTransferScreen()) return MsgWindowProblem;
    UpdateProgress(0);
    StatusCode result = StatusOk;
    const uint8_t* record = FirstRecord();
    for (uint16_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record)) {
        if (result != StatusOk || PumpTransferMessages() != 0) break;
        if ((RecordFlags(record) & FlagNotInstalled) != 0) continue;
        ShowTransferName(RecordName(record));
        result = RemoveRecord(record);
        ++RemovalTally.done;
        UpdateProgress(TransferPercent(RemovalTally.done, RemovalTally.toHandle));
    }
    int32_t halt = TransferDialogResult();
    EndTransferScreen();
    return result != StatusOk ? result : halt;
}

StatusCode RemoveOwnFile(const char* path) {
    bool gone = false;
    return DeleteAsked(path, &gone);
}

bool OwnDirectoryToRemove(char* directory) {
    char windows[PathSize] = {};
    PlatformWindowsDirectory(windows, PathSize);
    AppendBackslash(windows, PathSize);
    if (std::strlen(SetupDir) <= 3 || SameTextIgnoringCase(SetupDir, windows)) return false;
    CopyText(directory, PathSize, SetupDir);
    StripBackslash(directory);
    return true;
}

bool RemoveOwnDirectory() {
    char directory[PathSize] = {};
    if (!OwnDirectoryToRemove(directory)) return false;
    RemoveLeftoverTemporaries(SetupDir, &NoteRemovedTemporary);
    if (!PlatformRemoveDirectory(directory)) return false;
    ++RemovalTally.directories;
    NoteRemoval(RemovedDirectory, directory);
    return true;
}
