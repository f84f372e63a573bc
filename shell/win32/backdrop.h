// The backdrop: the program's main window, a blue-to-black gradient behind every dialog, whose
// close command cancels the running dialog instead of closing the window.
#pragma once

#include <windows.h>

#include <cstdint>

// The backdrop's window class; a second copy of the program looks for it to find the first.
extern const char BackdropClassName[]; // "AtoaClass"

// Registers the backdrop class (redrawn whole on resizing, icon 800, arrow cursor, no
// background brush). Returns the class atom, 0 on failure.
int RegisterBackdropClass();

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the gradient over the backdrop's paint rectangle, scaled to the whole client height,
// with one brush per run of rows of equal colour.
void PaintBackdrop();

// The blue of row y of a client area height rows high: 255 at the top, 255 - 255*y/height
// below (rounded down), 0 at y = height. height must be positive.
uint8_t BackdropRowBlue(int y, int height);
