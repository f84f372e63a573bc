// DialogFinal and DialogFinalFirstInstall: the closing word after a completed installation.
#pragma once

#include <windows.h>

// Names the application and how to start it (StrDoubleClick, or StrControlPanel for an INSV
// package); ends with Quit Installer.
INT_PTR CALLBACK FinalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
