// The backdrop: the program's main window, a blue-to-black gradient behind every dialog, whose
// close command cancels the running dialog instead of closing the window.
#pragma once

#include <windows.h>

// The backdrop's window class; a second copy of the program looks for it to find the first.
extern const char BackdropClassName[]; // "AtoaClass"

// Registers the backdrop class (redrawn whole on resizing, icon IconSetup, arrow cursor, no
// background brush). Returns the class atom, 0 on failure.
int RegisterBackdropClass();

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the gradient over the backdrop's paint rectangle, scaled to the whole client height,
// with one brush per run of rows of equal colour.
void PaintBackdrop();
