// DialogDestination: where the application goes.
#pragma once

#include <windows.h>

// The procedure of DialogDestination: proposes InstallDir, shows the space needed and free, and
// on OK ends with IDOK only once the checks have passed (InstallDir then exists and ends with a
// backslash); Quit Installer ends with IDCANCEL.
INT_PTR CALLBACK DestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
