// LANDGFX.DLL, the demo package's shared file: names the graphics driver a flags value chooses.
#include <windows.h>

extern "C" __declspec(dllexport) const char* LanderGraphicsName(int flags) {
    if (flags & 0x20) return "optimised driver";
    if (flags & 0x40) return "WinG driver";
    return "standard Windows driver";
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
