// The main menu: its texts name the application; the driver button needs a stored setting.
#include "shell/win32/main_menu.h"

#include "base/win32/dialog_helpers.h"
#include "base/win32/dialog_runner.h"
#include "graphics/graphics_flags.h"
#include "package/catalogue.h"

namespace {

// Fills in the Title and enables the driver button only after an earlier installation.
INT_PTR MainMenuInit(HWND dialog) {
    FormatItemWithTitle(dialog, ItemMenuWelcome, Header.Title);
    FormatItemWithTitle(dialog, MenuInstall, Header.Title);
    EnableWindow(GetDlgItem(dialog, MenuGraphicsDriver), GraphicsFlagsStored ? TRUE : FALSE);
    PlaceDialog(dialog);
    return TRUE; // the focus goes to the first tab stop, the default button MenuInstall
}

void MainMenuCommand(HWND dialog, WPARAM wParam) {
    int command = LOWORD(wParam);
    if (command == MenuInstall || command == MenuGraphicsDriver || command == MenuQuit)
        EndDialogWith(dialog, command);
}

} // namespace

INT_PTR CALLBACK MainMenuProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return MainMenuInit(dialog);
    case WM_COMMAND: MainMenuCommand(dialog, wParam); return FALSE;
    }
    if (IsDialogColourMessage(message)) return DialogCtlColorResult(dialog, wParam, lParam);
    return FALSE;
}
