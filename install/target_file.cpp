// One target file: its path and the uninstaller's name, the existence test, the create-or-ask
// loop, and the temporary file that replaces the target once complete.
#include "install/target_file.h"

#include "base/paths.h"
#include "base/text_format.h"
#include "package/catalogue.h"
#include "package/volume.h"

#include <cstring>

char TargetPath[PathSize];
char UninstallerName[PathSize];
char TemporaryPath[PathSize];

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

void ResetUninstallerName() {
    UninstallerName[0] = '\0';
}

bool FileExists(const char* path) {
    PlatformFile file = PlatformOpenRead(path);
    if (file == PlatformNoFile) return false;
    PlatformClose(file);
    return true;
}

namespace {

// Creates a new temporary file in the directory of path, after deleting what stopped runs
// left there, and sets TemporaryPath. PlatformNoFile, with TemporaryPath empty, when none can
// be made.
PlatformFile CreateTemporary(const char* path) {
    RemoveLeftoverTemporaries(path, nullptr);
    for (unsigned n = 0; n < TemporaryNames; ++n) {
        if (!TemporaryName(path, n, TemporaryPath)) break;
        if (PlatformPathExists(TemporaryPath)) continue;
        PlatformFile file = PlatformCreateNew(TemporaryPath);
        if (file != PlatformNoFile) return file;
        break;
    }
    TemporaryPath[0] = '\0';
    return PlatformNoFile;
}

} // namespace

uint32_t RemoveLeftoverTemporaries(const char* directory, void (*removed)(const char* path)) {
    char path[PathSize];
    uint32_t count = 0;
    for (unsigned n = 0; n < TemporaryNames && TemporaryName(directory, n, path); ++n) {
        if (PlatformDeleteFile(path) != DeleteDone) break;
        if (removed != nullptr) removed(path);
        ++count;
    }
    return count;
}

StatusCode CreateTargetFile(const char* path, int32_t walkFrom, PlatformFile* handle) {
    for (;;) {
        // Looked at again on every Retry: the user may have closed or deleted what was in the way.
        bool existed = PlatformPathExists(path);
        *handle = existed && !PlatformCanWrite(path) ? PlatformNoFile : CreateTemporary(path);
        if (*handle != PlatformNoFile) return StatusOk;
        int answer;
        if (existed) {
            answer = AskAbortRetryIgnore(ProgressWindow, MsgWriteProtected, path);
        } else {
            if (walkFrom != WalkNever && CreateMissingDirectories(path, walkFrom)) continue;
            answer = AskRetryCancel(ProgressWindow, MsgWriteError, path);
        }
        if (answer == AnswerRetry) continue;
        return answer == AnswerIgnore ? StatusOk : StatusCancelled;
    }
}

StatusCode FinishTargetFile(const char* path, StatusCode result, PlatformFile* handle) {
    PlatformClose(*handle);
    *handle = PlatformNoFile;
    if (TemporaryPath[0] == '\0') return result;
    bool kept = false;
    while (result == StatusOk && !kept && !PlatformReplaceFile(TemporaryPath, path)) {
        // A file in the way (typically one in use) may be kept as it is; a new one may not.
        int answer = PlatformPathExists(path)
                         ? AskAbortRetryIgnore(ProgressWindow, MsgWriteProtected, path)
                         : AskRetryCancel(ProgressWindow, MsgWriteError, path);
        if (answer == AnswerIgnore)
            kept = true;
        else if (answer != AnswerRetry)
            result = StatusCancelled;
    }
    if (result != StatusOk || kept) PlatformDeleteFile(TemporaryPath);
    TemporaryPath[0] = '\0';
    return result;
}

StatusCode RefuseLongPath(const char* subject, int32_t message) {
    while (AskRetryCancel(ProgressWindow, message, subject) == AnswerRetry) {
    }
    return StatusCancelled;
}
