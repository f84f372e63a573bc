// Program-wide state of SETUP.EXE, set once at start-up.
#include "shell/win32/shell_state.h"

HINSTANCE Instance;
HWND BackdropWindow;
HBRUSH DialogBrush;
