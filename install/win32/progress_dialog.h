// Dialog 410, the file transfer's progress, and dialog 409, the halt confirmation: SETUP.EXE's
// version of the transfer's screen procedures.
#pragma once

#include <windows.h>

// The percentage the bar shows, as the transfer last gave it.
extern int ProgressPercent;

// Draws the percentage into control 103 and the bar of blocks over hidden control 102,
// composed off-screen and copied in one block. deviceContext null: the window's own.
void PaintProgress(HWND dialog, HDC deviceContext);

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HaltDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
