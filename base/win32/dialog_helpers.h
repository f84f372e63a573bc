// Helpers every dialog procedure of SETUP.EXE uses: the colour answer, the sunken separator,
// and the fillers of control texts.
#pragma once

#include <windows.h>

#include <cstdint>

// True for the control-colour messages that every dialog answers with DialogCtlColorResult:
// WM_CTLCOLORMSGBOX, WM_CTLCOLORBTN, WM_CTLCOLORDLG and WM_CTLCOLORSTATIC. Edit, list-box and
// scroll-bar colours stay the system's.
bool IsDialogColourMessage(UINT message);

// Sets the text background of the message's device context (wParam) to the button face and
// returns DialogBrush, as the result a dialog procedure returns; the text colour and
// background mode stay as they are.
INT_PTR DialogCtlColorResult(HWND dialog, WPARAM wParam, LPARAM lParam);

// Fills the rectangle at (x, y), width by height pixels, with colour; the device context keeps
// colour as its background colour afterwards.
void FillSolidRect(HDC deviceContext, int x, int y, int width, int height, COLORREF colour);

// Paints a sunken frame over the rectangle at (x, y), w by h pixels (at least 2 each): shadow
// on the top and left edges, highlight on the bottom and right, button face inside. The device
// context keeps the highlight colour as its background colour afterwards.
void PaintSunkenRect(HDC deviceContext, int x, int y, int w, int h);
// Paints the sunken frame where the dialog's hidden control ItemSeparator lies, in dialog client
// coordinates. No ItemSeparator: nothing.
void PaintSunkenFrame(HWND dialog, HDC deviceContext);

// Sets item's text to string stringId of the string table (at most 255 bytes).
void SetItemString(HWND dialog, int item, uint32_t stringId);
// Uses item's current text (at most 511 characters) as a format with title (the catalogue's)
// as its one argument, and sets the result (cut at 511 characters). Done once per item.
void FormatItemWithTitle(HWND dialog, int item, const char* title);
// Sets item's text to kilobytes in decimal followed by " Kb" (StrKb).
void SetItemKb(HWND dialog, int item, uint32_t kilobytes);
