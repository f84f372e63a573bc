// Lunar Lander, the demo package's application: a window that says it was installed, and
// which driver the setup program chose for it.
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllimport) const char* LanderGraphicsName(int flags);

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int flags = static_cast<int>(GetPrivateProfileIntA("setup", "grmf", 35, "zom.ini"));
    char text[256];
    std::snprintf(text, sizeof text, "Lunar Lander is installed.\n\nGraphics: %s (grmf=%d).",
                  LanderGraphicsName(flags), flags);
    MessageBoxA(nullptr, text, "Lunar Lander", MB_OK | MB_ICONINFORMATION);
    return 0;
}
