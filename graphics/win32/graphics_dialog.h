// The graphics driver dialog (DialogGraphics): three radio buttons over GraphicsFlags, OK and
// Cancel.
#pragma once

#include <windows.h>

// Dialog procedure of template 403, run through RunModalLoop: 1 when OK stored the chosen
// driver into GraphicsFlags, 2 when Cancel left it alone. Writing the settings file is the
// caller's business.
INT_PTR CALLBACK GraphicsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
