// The removal: installed records back off the disk, with the directories they leave empty.
#include "uninstall/removal.h"

#include "install/placement.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "install/transfer_screen.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "base/paths.h"
#include "package/volume.h"

#include <cstring>

RemovalCounts RemovalTally;

namespace {

// The catalogue Name of a driver that the installation never places.
constexpr char UnplacedDriverName[] = "dva.386";

// Windows' reserved device names: a path whose component is one of them, with or without an
// extension, names the device rather than a file.
constexpr const char* DeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};

bool IsDeviceName(const char* component, size_t length) {
    // The device is named by what stands before the first dot, trailing spaces ignored.
    size_t base = 0;
    while (base < length && component[base] != '.')
        ++base;
    while (base > 0 && component[base - 1] == ' ')
        --base;
    char text[8] = {};
    if (base == 0 || base >= sizeof text) return false;
    std::memcpy(text, component, base);
    for (const char* device : DeviceNames)
        if (SameTextIgnoringCase(text, device)) return true;
    // COM1 to COM9 and LPT1 to LPT9.
    bool numbered = base == 4 && text[3] >= '1' && text[3] <= '9';
    text[3] = '\0';
    return numbered && (SameTextIgnoringCase(text, "COM") || SameTextIgnoringCase(text, "LPT"));
}

// Whether one component of a Name names a file or directory in its own place: not empty, not
// '.' or '..' (nor anything that Windows shortens to them by dropping trailing dots and
// spaces), and no device.
bool SafeComponent(const char* component, size_t length) {
    if (length == 0) return false;
    char last = component[length - 1];
    if (last == '.' || last == ' ') return false;
    return !IsDeviceName(component, length);
}

// Whether Name names one file in the place that placement gives it below directory, and
// nothing beyond: a relative name below the directory, a rooted one ('\DIR\FILE') or one with
// a drive letter ('D:\DIR\FILE') below the root of the directory's drive.
bool SafeName(const char* name, const char* directory) {
    const char* rest = name;
    if (rest[0] != '\0' && rest[1] == ':') {
        rest += 2;
        if (rest[0] != '\\') return false; // 'D:FILE' is relative to a current directory
    }
    if (rest[0] == '\\') {
        // A directory without a drive letter (a network path) leaves a rooted name only the
        // current drive.
        if (directory[0] == '\0' || directory[1] != ':') return false;
        ++rest; // a UNC name ('\\SRV') is left with an empty component
    }
    for (const char* p = rest; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || std::strchr("/:*?\"<>|", c) != nullptr) return false;
    }
    for (const char* start = rest;;) {
        const char* end = std::strchr(start, '\\');
        size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
        if (!SafeComponent(start, length)) return false;
        if (end == nullptr) return true;
        start = end + 1;
    }
}

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
    if (!SafeName(name, SetupDir)) {
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
