// File placement: target path, uninstaller naming, file creation and expansion of one record.
#include "install/placement.h"

#include "install/target_file.h"
#include "install/transfer.h"
#include "lzhuf/decoder.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "base/memory.h"
#include "base/paths.h"
#include "package/volume.h"
#include "base/text_format.h"

#include <cstring>

char UninstallerName[PathSize];

namespace {

// The catalogue Name that marks the uninstaller entry, directly in the destination directory.
constexpr char UninstallerEntryName[] = "uninstal.exe";
constexpr int LastUninstallerNumber = 999; // the last numbered name: 'unins999.exe'

// The root of directory without its backslash: 'C:', or '\\SRV\SHARE' for a UNC path; ""
// when it has neither.
void RootOf(const char* directory, char* root) {
    root[0] = '\0';
    size_t length = 0;
    if (directory[0] == '\\' && directory[1] == '\\') {
        const char* server = std::strchr(directory + 2, '\\');
        const char* share = server ? std::strchr(server + 1, '\\') : nullptr;
        length = share ? static_cast<size_t>(share - directory) : std::strlen(directory);
    } else if (directory[0] != '\0' && directory[1] == ':') {
        length = 2;
    }
    std::memcpy(root, directory, length);
    root[length] = '\0';
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

// How the search for the uninstaller's name ended.
enum class UninstallerSlot { Found, TooLong, NoneFree };

// Chooses UninstallerName and TargetPath for the uninstaller entry: "uninstal.exe", then
// 'unins1.exe' to 'unins999.exe', the first name that nothing holds or whose uninstaller
// belongs to this package. A name held by anything else, readable or not, is never taken.
UninstallerSlot NameUninstaller(const char* directory) {
    if (InsvPackage) {
        CopyText(UninstallerName, PathSize, CatalogueProgramName());
        return ReplaceExtension(UninstallerName, PathSize, ".exe") &&
                       JoinTarget(directory, UninstallerName)
                   ? UninstallerSlot::Found
                   : UninstallerSlot::TooLong;
    }
    CopyText(UninstallerName, PathSize, UninstallerEntryName);
    for (int n = 1;; ++n) {
        if (!PlatformPathExists(TargetPath)) return UninstallerSlot::Found;
        if (OwnUninstaller())
            return JoinTarget(directory, UninstallerName) ? UninstallerSlot::Found
                                                          : UninstallerSlot::TooLong;
        if (n > LastUninstallerNumber) break;
        FormatText(UninstallerName, PathSize, "unins%d.exe", n);
        if (!JoinTarget(directory, UninstallerName)) return UninstallerSlot::TooLong;
    }
    // Every name belongs to another package: this one gets no uninstaller, so neither a data
    // file nor an uninstall item, and nothing of the others is touched.
    UninstallerName[0] = '\0';
    char shown[PathSize] = {};
    CopyText(shown, PathSize, directory);
    StripBackslash(shown);
    WarnFormatted(ProgressWindow, MsgNoUninstallerName, shown);
    return UninstallerSlot::NoneFree;
}

// Primes the reader and the writer for record and expands it into the open file.
StatusCode Expand(const uint8_t* record, uint8_t* buffer, PlatformFile file) {
    StartRecordStream(record);
    StartOutput(buffer, file);
    return DecodeFile();
}

// Expands record into a temporary beside TargetPath (empty: the path did not fit, and the file
// is refused), which replaces TargetPath only when the whole stream has been written; on
// every other path it is deleted and an existing file stays as it was. Releases the buffer
// and closes the file on every path. *placed tells whether the file was moved into place,
// whose bytes the transfer's tally then counts.
StatusCode ExpandRecord(const uint8_t* record, int32_t walk, bool* placed) {
    *placed = false;
    PlatformMemory bufferHandle = nullptr;
    uint8_t* buffer = static_cast<uint8_t*>(AllocLocked(OutputBufferSize, &bufferHandle));
    if (buffer == nullptr) return MsgNoMemory;
    StatusCode result;
    PlatformFile file = PlatformNoFile;
    if (TargetPath[0] == '\0') {
        result = RefuseLongPath(RecordName(record), MsgWriteError);
    } else {
        result = CreateTargetFile(TargetPath, walk, &file);
        bool created = result == StatusOk && file != PlatformNoFile;
        if (created) result = Expand(record, buffer, file);
        result = FinishTargetFile(TargetPath, result, &file);
        *placed = created && result == StatusOk;
        if (*placed) TransferTally.placedBytes += OutputWritten;
    }
    FreeLocked(&bufferHandle);
    OutputHandle = PlatformNoFile;
    OutputBuffer = OutputCursor = nullptr;
    return result;
}

} // namespace

bool BuildTargetPath(const char* name, const char* directory, bool* uninstaller) {
    char root[PathSize];
    RootOf(directory, root);
    *uninstaller = false;
    if (name[0] == '\\') return JoinTarget(root, name);
    if (name[0] != '\0' && name[1] == ':') {
        // The name's drive becomes the directory's, and the name is taken from its root even
        // without a backslash after the colon: never relative to a current directory.
        if (name[2] == '\\') return JoinTarget(root, name + 2);
        return AppendText(root, PathSize, "\\") && JoinTarget(root, name + 2);
    }
    *uninstaller = SameTextIgnoringCase(name, UninstallerEntryName);
    return JoinTarget(directory, name);
}

StatusCode PlaceFile(const uint8_t* record, const char* directory) {
    const char* name = RecordName(record);
    bool uninstaller = false;
    bool fits = BuildTargetPath(name, directory, &uninstaller);
    if (fits && uninstaller) {
        UninstallerSlot slot = NameUninstaller(directory);
        if (slot == UninstallerSlot::NoneFree) return StatusOk;
        fits = slot == UninstallerSlot::Found;
    }
    if (!fits) TargetPath[0] = '\0';
    bool placed = false;
    StatusCode result =
        ExpandRecord(record, std::strchr(name, '\\') ? WalkFromRoot : WalkNever, &placed);
    if (placed && uninstaller) TransferTally.uninstallerPlaced = true;
    return result;
}

StatusCode PlaceFileAt(const uint8_t* record, const char* path) {
    if (!CopyText(TargetPath, PathSize, path)) TargetPath[0] = '\0';
    bool placed = false;
    return ExpandRecord(record, WalkFromRoot, &placed);
}

void ResetUninstallerName() {
    UninstallerName[0] = '\0';
}
