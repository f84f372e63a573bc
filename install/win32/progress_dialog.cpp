// The progress dialog and the halt confirmation, and the transfer's screen procedures over them.
#include "install/win32/progress_dialog.h"

#include "base/text_format.h"
#include "base/win32/dialog_helpers.h"
#include "base/win32/dialog_runner.h"
#include "base/win32/window_state.h"
#include "install/transfer_screen.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "resources/resource_ids.h"

namespace {

// The percentage the bar shows, as the transfer last gave it.
int ProgressPercent;

HWND Progress() {
    return static_cast<HWND>(ProgressWindow);
}

// The blocks: each H/2 wide with 2 pixels between, from x = 1, drawn while the block's right
// edge stays left of the frame's right line and of the percentage's share of the width.
void DrawBlocks(HDC memory, int width, int height) {
    HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_ACTIVECAPTION));
    if (brush == nullptr) return;
    int block = height / 2;
    int reach = ProgressPercent * width / 100;
    for (int x = 1;; x += block + 2) {
        RECT r = {x, 2, x + block, height - 2};
        FillRect(memory, &r, brush);
        if (!(x + block + 2 + block < width && x + block + 2 + block < reach)) break;
    }
    DeleteObject(brush);
}

void ComposeBar(HDC memory, int width, int height) {
    PaintSunkenRect(memory, 0, 0, width, height);
    DrawBlocks(memory, width, height);
}

// Draws the percentage into control 103 and the bar of blocks over hidden control 102,
// composed off-screen and copied in one block. deviceContext null: the window's own.
void PaintProgress(HWND dialog, HDC deviceContext) {
    char text[16];
    FormatText(text, sizeof text, "%d%%", ProgressPercent);
    SetDlgItemTextA(dialog, ItemPercent, text);

    RECT bar;
    GetWindowRect(GetDlgItem(dialog, ItemProgressBar), &bar);
    POINT corner = {bar.left, bar.top};
    ScreenToClient(dialog, &corner);
    int width = bar.right - bar.left, height = bar.bottom - bar.top;

    HDC window = deviceContext ? deviceContext : GetDC(dialog);
    if (window == nullptr) return;
    HDC memory = CreateCompatibleDC(window);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(window, width, height) : nullptr;
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        ComposeBar(memory, width, height);
        BitBlt(window, corner.x, corner.y, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    if (deviceContext == nullptr) ReleaseDC(dialog, window);
}

INT_PTR ProgressInit(HWND dialog) {
    SetDlgItemTextA(dialog, ItemFileName, "");
    PlaceDialog(dialog);
    return TRUE;
}

void ProgressPaint(HWND dialog) {
    PAINTSTRUCT paint;
    HDC deviceContext = BeginPaint(dialog, &paint);
    PaintProgress(dialog, deviceContext);
    EndPaint(dialog, &paint);
}

// Cancel, Enter or Esc: the halt is requested unless the user answers No.
void ProgressCommand(HWND dialog, WPARAM wParam) {
    if (LOWORD(wParam) != IDCANCEL) return;
    INT_PTR answer =
        DialogBoxParamA(Instance, MAKEINTRESOURCEA(DialogHalt), dialog, HaltDialogProc, 0);
    if (answer != IDNO) EndDialogWith(dialog, IDCANCEL);
}

} // namespace

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return ProgressInit(dialog);
    case WM_PAINT: ProgressPaint(dialog); return FALSE;
    case WM_COMMAND: ProgressCommand(dialog, wParam); return FALSE;
    }
    if (IsDialogColourMessage(message)) return DialogCtlColorResult(dialog, wParam, lParam);
    return FALSE;
}

INT_PTR CALLBACK HaltDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: FormatItemWithTitle(dialog, ItemHaltText, Header.Title); return TRUE;
    case WM_COMMAND:
        // Only Yes and No leave it; Esc and the close box are ignored.
        if (LOWORD(wParam) != IDYES && LOWORD(wParam) != IDNO) return FALSE;
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    if (IsDialogColourMessage(message)) return DialogCtlColorResult(dialog, wParam, lParam);
    return FALSE;
}

// ---- the transfer's screen procedures ----

bool BeginTransferScreen() {
    DialogResult = 0;
    HWND dialog = CreateDialogParamA(Instance, MAKEINTRESOURCEA(DialogProgress), BackdropWindow,
                                     ProgressDialogProc, 0);
    ProgressWindow = dialog;
    return dialog != nullptr;
}

void ShowTransferName(const char* name) {
    SetDlgItemTextA(Progress(), ItemFileName, name);
}

void UpdateProgress(int percent) {
    ProgressPercent = percent;
    PaintProgress(Progress(), nullptr);
}

int32_t PumpTransferMessages() {
    return PumpPending(Progress());
}
int32_t TransferDialogResult() {
    return DialogResult;
}

void EndTransferScreen() {
    DestroyWindow(Progress());
    ProgressWindow = nullptr;
}
