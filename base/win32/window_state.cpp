// Program-wide window state, set once at start-up.
#include "base/win32/window_state.h"

HINSTANCE Instance;
HWND BackdropWindow;
HBRUSH DialogBrush;
