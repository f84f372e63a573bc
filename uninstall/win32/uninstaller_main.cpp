// The entry point of UNINSTAL.EXE: its data file, the question, the removal behind the
// progress dialog, the program items, its own files, and the closing box.
//
// The uninstaller has no backdrop: the screen stands in for it, so its dialogs (pop-ups in its
// own resources) are placed on the screen's middle by the same runner as SETUP.EXE's.
#include "base/messages.h"
#include "base/paths.h"
#include "base/win32/dialog_runner.h"
#include "base/win32/window_state.h"
#include "install/win32/program_group_dde.h"
#include "package/catalogue.h"
#include "uninstall/removal.h"
#include "uninstall/win32/closing_box.h"

#include <windows.h>

#include <cstring>

namespace {

void CreateDialogBrush() {
    DialogBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    if (DialogBrush == nullptr) DialogBrush = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
}

void UseScreenAsBackdrop() {
    BackdropWindow = GetDesktopWindow();
    DialogAnchor.x = GetSystemMetrics(SM_CXSCREEN) / 2;
    DialogAnchor.y = GetSystemMetrics(SM_CYSCREEN) / 2;
}

// Windows 95, 98 and ME: the high bit of the version marks them.
bool Windows9x() {
    return (GetVersion() & 0x80000000u) != 0;
}

// The [rename] section of WININIT.INI in the Windows directory, which 9x applies at its next
// start: each "NUL=<short path>" line deletes that path. The section may hold other programs'
// lines, all with the same key, so it is read and written whole with ours appended.
constexpr DWORD RenameSectionSize = 16384;
char RenameSection[RenameSectionSize];

bool DeleteAtRestartOn9x(const char* self, const char* directory) {
    DWORD used =
        GetPrivateProfileSectionA("rename", RenameSection, RenameSectionSize, "WININIT.INI");
    if (used + 2 >= RenameSectionSize) return false; // full, or cut: never write back a part
    const char* paths[] = {self, directory};
    for (const char* path : paths) {
        if (path == nullptr) continue;
        char shortPath[MAX_PATH] = {};
        DWORD length = GetShortPathNameA(path, shortPath, MAX_PATH);
        if (length == 0 || length >= MAX_PATH || used + length + 6 >= RenameSectionSize)
            return path != self;
        std::memcpy(RenameSection + used, "NUL=", 4);
        std::memcpy(RenameSection + used + 4, shortPath, length + 1);
        used += length + 5;
        RenameSection[used] = '\0'; // the list ends with an empty line
        if (!WritePrivateProfileSectionA("rename", RenameSection, "WININIT.INI"))
            return path != self;
    }
    return true;
}

// A running program cannot delete its own file: the uninstaller is left to the system to
// delete when Windows restarts, and after it its directory, which the system removes then
// only if it is empty. False when that cannot be arranged (on NT, the rights to do so are
// missing).
bool RemoveSelfAtRestart(const char* self) {
    char directory[PathSize] = {};
    bool withDirectory = OwnDirectoryToRemove(directory);
    if (Windows9x()) return DeleteAtRestartOn9x(self, withDirectory ? directory : nullptr);
    if (!MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
    if (withDirectory) MoveFileExA(directory, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return true;
}

// The data file now, the uninstaller itself at the next restart. Returns 0, or 2 when the
// user gave up on the data file.
StatusCode RemoveOwnFiles() {
    char self[PathSize] = {};
    PlatformProgramPath(self, PathSize);
    char data[PathSize] = {};
    CopyText(data, PathSize, self);
    ReplaceExtension(data, PathSize, ".bin");
    StatusCode status = RemoveOwnFile(data);
    if (status == StatusOk) NoteSelf(self, RemoveSelfAtRestart(self));
    return status;
}

void Uninstall() {
    StatusCode status = LoadCatalogue();
    if (status != StatusOk) {
        ReportStatus(nullptr, status);
        return;
    }
    if (!ConfirmRemoval(nullptr)) return;
    status = RemoveInstalledFiles();
    if (status == MsgWindowProblem) {
        ReportStatus(nullptr, status);
        return;
    }
    if (status == StatusOk) {
        if (!InsvPackage) RemoveProgramItems();
        status = RemoveOwnFiles();
    }
    ShowClosingBox(status == StatusOk);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Instance = instance;
    CreateDialogBrush();
    UseScreenAsBackdrop();
    Uninstall();
    ReleaseCatalogue();
    if (DialogBrush != static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH))) DeleteObject(DialogBrush);
    return 0;
}
