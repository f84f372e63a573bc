// Dialog 401: the proposal, the space figures, and OK through the checks of the destination.
#include "install/win32/destination_dialog.h"

#include "base/win32/dialog_helpers.h"
#include "base/win32/dialog_runner.h"
#include "install/destination.h"
#include "install/transfer.h"
#include "package/catalogue.h"
#include "resources/resource_ids.h"

namespace {

INT_PTR DestinationInit(HWND dialog) {
    ProposeInstallDir();
    SetDlgItemTextA(dialog, ItemDirectory, InstallDir);
    FormatItemWithTitle(dialog, ItemDestinationText, Header.Title);
    SetItemKb(dialog, ItemRequiredKb, RequiredKb);
    SetItemKb(dialog, ItemFreeKb, FreeSpaceKb(InstallDir));
    PlaceDialog(dialog);
    return TRUE;
}

// The field lost the focus: show the free space where its text points, without taking it.
void RefreshFreeSpace(HWND dialog) {
    char typed[PathSize] = {};
    GetDlgItemTextA(dialog, ItemDirectory, typed, PathSize);
    SetItemKb(dialog, ItemFreeKb, FreeSpaceKb(typed));
}

void DestinationOk(HWND dialog, WPARAM wParam) {
    InstallDir[0] = '\0';
    GetDlgItemTextA(dialog, ItemDirectory, InstallDir, PathSize);
    if (AcceptInstallDir(dialog)) EndDialogWith(dialog, LOWORD(wParam));
}

void DestinationCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK: DestinationOk(dialog, wParam); break;
    case IDCANCEL: EndDialogWith(dialog, LOWORD(wParam)); break;
    case ItemDirectory:
        if (HIWORD(wParam) == EN_KILLFOCUS) RefreshFreeSpace(dialog);
        break;
    }
}

void DestinationPaint(HWND dialog) {
    PAINTSTRUCT paint;
    HDC deviceContext = BeginPaint(dialog, &paint);
    PaintSunkenFrame(dialog, deviceContext);
    EndPaint(dialog, &paint);
}

} // namespace

INT_PTR CALLBACK DestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return DestinationInit(dialog);
    case WM_COMMAND: DestinationCommand(dialog, wParam); return FALSE;
    case WM_PAINT: DestinationPaint(dialog); return FALSE;
    }
    if (IsDialogColourMessage(message)) return DialogCtlColorResult(dialog, wParam, lParam);
    return FALSE;
}
