// Dialogs 411 and 412: the closing word after a completed installation.
#pragma once

#include <windows.h>

// Names the application and how to start it (string 305, or 306 for an INSV package); ends
// with Quit Installer.
INT_PTR CALLBACK FinalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
