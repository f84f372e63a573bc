// The closing dialog of an installation.
#include "install/win32/final_dialog.h"

#include "base/win32/dialog_helpers.h"
#include "base/win32/dialog_runner.h"
#include "package/catalogue.h"
#include "resources/resource_ids.h"

namespace {

INT_PTR FinalInit(HWND dialog) {
    FormatItemWithTitle(dialog, ItemFinalTitle, Header.Title);
    SetItemString(dialog, ItemHowToStart, InsvPackage ? StrControlPanel : StrDoubleClick);
    PlaceDialog(dialog);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK FinalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return FinalInit(dialog);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialogWith(dialog, LOWORD(wParam));
        return FALSE;
    }
    if (IsDialogColourMessage(message)) return DialogCtlColorResult(dialog, wParam, lParam);
    return FALSE;
}
