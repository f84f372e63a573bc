// The dialog runner: the modeless loop, the pump for long work, and the dialog placement.
#include "base/win32/dialog_runner.h"

#include "base/messages.h"
#include "base/win32/window_state.h"

int32_t DialogResult;
DialogPoint DialogAnchor;

namespace {

// Hands one message to dialog's keyboard handling, or translates and dispatches it.
void DispatchFor(HWND dialog, MSG* message) {
    if (dialog != nullptr && IsDialogMessageA(dialog, message)) return;
    TranslateMessage(message);
    DispatchMessageA(message);
}

// One coordinate of PlaceDialog: centred on anchor, at most limit - size, at least 0.
int ClampedOrigin(int anchor, int size, int limit) {
    int origin = anchor - size / 2;
    if (origin >= limit - size) origin = limit - size;
    if (origin <= 0) origin = 0;
    return origin;
}

} // namespace

int32_t RunModalLoop(uint16_t templateId, DLGPROC procedure, LPARAM parameter) {
    DialogResult = 0;
    HWND dialog = CreateDialogParamA(Instance, MAKEINTRESOURCEA(templateId), BackdropWindow,
                                     procedure, parameter);
    if (dialog == nullptr) return StatusCancelled;
    MSG message;
    while (DialogResult == 0) {
        // 0 is the quit message (consumed here); -1 a broken queue, which would never wait.
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
            DialogResult = StatusCancelled;
            break;
        }
        DispatchFor(dialog, &message);
    }
    DestroyWindow(dialog);
    return DialogResult != 0 ? DialogResult : StatusCancelled;
}

int32_t PumpPending(HWND dialog) {
    MSG message;
    for (int handled = 0; handled < 20; ++handled) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) break;
        if (message.message == WM_QUIT)
            DialogResult = StatusCancelled;
        else
            DispatchFor(dialog, &message);
    }
    return DialogResult;
}

void PlaceDialog(HWND dialog) {
    // The dialog is a child of the backdrop: its position is in the backdrop's client area,
    // which the caption and the frame make smaller than the window.
    RECT backdrop, own;
    GetClientRect(BackdropWindow, &backdrop);
    GetWindowRect(dialog, &own);
    int x = ClampedOrigin(DialogAnchor.x, own.right - own.left, backdrop.right - backdrop.left);
    int y = ClampedOrigin(DialogAnchor.y, own.bottom - own.top, backdrop.bottom - backdrop.top);
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PostMessageA(dialog, WM_NCACTIVATE, TRUE, 0);
}

namespace {

// Records the centre of dialog, in backdrop client coordinates, as the next DialogAnchor.
void SaveDialogAnchor(HWND dialog) {
    RECT own;
    GetWindowRect(dialog, &own);
    POINT centre = {(own.left + own.right) / 2, (own.top + own.bottom) / 2};
    ScreenToClient(BackdropWindow, &centre);
    DialogAnchor.x = centre.x;
    DialogAnchor.y = centre.y;
}

} // namespace

void EndDialogWith(HWND dialog, int32_t command) {
    SaveDialogAnchor(dialog);
    DialogResult = command;
}
