// DialogProgress, the file transfer's progress, and DialogHalt, the halt confirmation:
// SETUP.EXE's version of the transfer's screen procedures.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HaltDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
