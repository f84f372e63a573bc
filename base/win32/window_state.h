// Program-wide window state of SETUP.EXE and UNINSTAL.EXE that start-up sets once and every
// dialog reads.
#pragma once

#include <windows.h>

// The module whose resources (dialog templates, strings, icon) the program uses.
extern HINSTANCE Instance;
// The backdrop window: the parent of every dialog and the owner of start-up's messages.
extern HWND BackdropWindow;
// The brush every dialog answers its control-colour messages with: a solid button-face
// brush, or the stock light-grey brush when that could not be made.
extern HBRUSH DialogBrush;
