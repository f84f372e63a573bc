// The main menu (DialogMainMenu): install the application, change the graphics driver, or quit.
#pragma once

#include "resources/resource_ids.h"

#include <windows.h>

// The main-menu choices, as DialogResult carries them.
enum : int {
    MenuInstall = ItemMenuInstall,
    MenuGraphicsDriver = ItemMenuGraphicsDriver,
    MenuQuit = IDCANCEL,
};

// Dialog procedure of the main menu, run through RunModalLoop; its result is one of the choices.
INT_PTR CALLBACK MainMenuProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
