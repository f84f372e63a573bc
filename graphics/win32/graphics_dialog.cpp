// The graphics driver dialog: shows the driver of GraphicsFlags and takes the user's choice.
#include "graphics/win32/graphics_dialog.h"

#include "base/win32/dialog_helpers.h"
#include "base/win32/dialog_runner.h"
#include "graphics/graphics_flags.h"

namespace {

INT_PTR GraphicsDialogInit(HWND dialog) {
    CheckRadioButton(dialog, DriverButtonOptimised, DriverButtonWinG,
                     GraphicsButtonForFlags(GraphicsFlags));
    PlaceDialog(dialog);
    return TRUE;
}

// The checked button, tested in the order optimised, WinG, standard.
int CheckedDriverButton(HWND dialog) {
    if (IsDlgButtonChecked(dialog, DriverButtonOptimised) == BST_CHECKED)
        return DriverButtonOptimised;
    if (IsDlgButtonChecked(dialog, DriverButtonWinG) == BST_CHECKED) return DriverButtonWinG;
    return DriverButtonStandard;
}

void GraphicsDialogCommand(HWND dialog, WPARAM wParam) {
    int command = LOWORD(wParam);
    if (command == IDOK) {
        GraphicsFlags = GraphicsFlagsForButton(GraphicsFlags, CheckedDriverButton(dialog));
        EndDialogWith(dialog, IDOK);
    } else if (command == IDCANCEL) {
        EndDialogWith(dialog, IDCANCEL);
    }
}

} // namespace

INT_PTR CALLBACK GraphicsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return GraphicsDialogInit(dialog);
    case WM_COMMAND: GraphicsDialogCommand(dialog, wParam); return FALSE;
    }
    if (IsDialogColourMessage(message)) return DialogCtlColorResult(dialog, wParam, lParam);
    return FALSE;
}
