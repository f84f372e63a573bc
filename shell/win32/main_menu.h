// The main menu (dialog 400): install the application, change the graphics driver, or quit.
#pragma once

#include <windows.h>

// The main-menu choices, as DialogResult carries them.
enum : int {
    MenuInstall = 101,
    MenuGraphicsDriver = 102,
    MenuQuit = 2,
};

// Dialog procedure of the main menu, run through RunModalLoop; its result is 101, 102 or 2.
INT_PTR CALLBACK MainMenuProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
