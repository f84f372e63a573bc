// Dialog 401: where the application goes.
#pragma once

#include <windows.h>

// The procedure of dialog 401: proposes InstallDir, shows the space needed and free, and on
// OK ends with 1 only once the checks have passed (InstallDir then exists and ends with a
// backslash); Quit Installer ends with 2.
INT_PTR CALLBACK DestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
