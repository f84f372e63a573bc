// The entry point of UNINSTAL.EXE: its data file, the question, the removal behind the
// progress dialog, the program items, its own files, and the closing box.
//
// The uninstaller has no backdrop: the screen stands in for it, so its dialogs (pop-ups in its
// own resources) are placed on the screen's middle by the same runner as SETUP.EXE's.
#include "install/win32/program_group_dde.h"
#include "package/catalogue.h"
#include "base/paths.h"
#include "base/messages.h"
#include "base/win32/dialog_runner.h"
#include "base/win32/window_state.h"
#include "uninstall/removal.h"
#include "uninstall/win32/closing_box.h"

#include <windows.h>

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

// A running program cannot delete its own file: the uninstaller is left to the system to
// delete when Windows restarts, and after it its directory, which the system removes then
// only if it is empty. False when that cannot be arranged (the rights to do so are missing).
bool RemoveSelfAtRestart(const char* self) {
    if (!MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
    char directory[PathSize] = {};
    if (OwnDirectoryToRemove(directory))
        MoveFileExA(directory, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
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
