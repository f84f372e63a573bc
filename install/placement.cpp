// File placement: target path, uninstaller naming, file creation and expansion of one record.
#include "install/placement.h"

#include "install/target_file.h"
#include "lzhuf/decoder.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "package/memory.h"
#include "package/paths.h"
#include "package/volume.h"

#include <cstdio>
#include <cstring>

char UninstallerName[PathSize];

namespace {

// The catalogue Name that marks the uninstaller entry, directly in the destination directory.
constexpr char UninstallerEntryName[] = "uninstal.exe";
constexpr int LastUninstallerNumber = 999; // 'unins999.exe' is taken without a test

// The drive of directory ('C:'), or "" when it has none.
void DriveOf(const char* directory, char* drive) {
    drive[0] = '\0';
    if (directory[0] != '\0' && directory[1] == ':') {
        drive[0] = directory[0];
        drive[1] = ':';
        drive[2] = '\0';
    }
}

// TargetPath = first + second, whole or not at all.
bool JoinTarget(const char* first, const char* second) {
    TargetPath[0] = '\0';
    return AppendText(TargetPath, PathSize, first) && AppendText(TargetPath, PathSize, second);
}

// Whether the uninstaller at TargetPath belongs to this package: its data file (same name,
// ".bin") is a catalogue whose ProgramName, bytes 4 to 263, is this package's. Changes
// TargetPath's extension.
bool OwnUninstaller() {
    if (!ReplaceExtension(TargetPath, PathSize, ".bin")) return false;
    PlatformFile data = PlatformOpenRead(TargetPath);
    if (data == PlatformNoFile) return false;
    // One byte more than the field, so that a name filling it is still ended.
    char field[HeaderProgramNameSize + 1] = {};
    int32_t got = -1;
    if (PlatformSeek(data, 4, SeekFromCurrent) == 4)
        got = PlatformRead(data, field, HeaderProgramNameSize);
    PlatformClose(data);
    return got > 0 && SameTextIgnoringCase(field, CatalogueProgramName());
}

// Chooses UninstallerName and TargetPath for the uninstaller entry. False when a candidate
// path does not fit.
bool NameUninstaller(const char* directory) {
    if (InsvPackage) {
        CopyText(UninstallerName, PathSize, CatalogueProgramName());
        return ReplaceExtension(UninstallerName, PathSize, ".exe") &&
               JoinTarget(directory, UninstallerName);
    }
    CopyText(UninstallerName, PathSize, UninstallerEntryName);
    for (int n = 1;; ++n) {
        if (!FileExists(TargetPath)) return true;
        if (OwnUninstaller()) return JoinTarget(directory, UninstallerName);
        std::snprintf(UninstallerName, PathSize, "unins%d.exe", n);
        if (!JoinTarget(directory, UninstallerName)) return false;
        if (n + 1 > LastUninstallerNumber) return true;
    }
}

// Primes the reader and the writer for record and expands it into the open file.
StatusCode Expand(const uint8_t* record, uint8_t* buffer, PlatformFile file) {
    CurrentRecord = record;
    StartRecordStream(record);
    StartOutput(buffer, file);
    return DecodeFile();
}

// Creates TargetPath (empty: the path did not fit, and the file is refused) and expands
// record into it; releases the buffer and closes the file on every path.
StatusCode ExpandRecord(const uint8_t* record, int32_t walk) {
    PlatformMemory bufferHandle = nullptr;
    uint8_t* buffer = static_cast<uint8_t*>(AllocLocked(OutputBufferSize, &bufferHandle));
    if (buffer == nullptr) return MsgNoMemory;
    StatusCode result;
    PlatformFile file = PlatformNoFile;
    if (TargetPath[0] == '\0') {
        result = RefuseLongPath(RecordName(record), MsgWriteError);
    } else {
        result = CreateTargetFile(TargetPath, walk, &file);
        if (result == StatusOk && file != PlatformNoFile) result = Expand(record, buffer, file);
    }
    FreeLocked(&bufferHandle);
    PlatformClose(file);
    OutputHandle = PlatformNoFile;
    OutputBuffer = OutputCursor = nullptr;
    return result;
}

} // namespace

bool BuildTargetPath(const char* name, const char* directory, bool* uninstaller) {
    char drive[3];
    DriveOf(directory, drive);
    *uninstaller = false;
    if (name[0] == '\\') return JoinTarget(drive, name);
    if (name[0] != '\0' && name[1] == ':') return JoinTarget(drive, name + 2);
    *uninstaller = SameTextIgnoringCase(name, UninstallerEntryName);
    return JoinTarget(directory, name);
}

StatusCode PlaceFile(const uint8_t* record, const char* directory) {
    const char* name = RecordName(record);
    bool uninstaller = false;
    bool fits = BuildTargetPath(name, directory, &uninstaller);
    if (fits && uninstaller) fits = NameUninstaller(directory);
    if (!fits) TargetPath[0] = '\0';
    return ExpandRecord(record, std::strchr(name, '\\') ? WalkFromRoot : WalkNever);
}

StatusCode PlaceFileAt(const uint8_t* record, const char* path) {
    if (!CopyText(TargetPath, PathSize, path)) TargetPath[0] = '\0';
    return ExpandRecord(record, WalkFromRoot);
}

void ResetUninstallerName() {
    UninstallerName[0] = '\0';
}
