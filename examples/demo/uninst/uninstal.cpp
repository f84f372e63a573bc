// An author's own uninstaller, as a package may still bring one instead of the kit's: reads its
// data file (the package's catalogue, under its own name with ".bin") and says which
// application it belongs to, and removes nothing. The end-to-end tests' "lander" package ships
// it; the demo ships the kit's UNINSTAL.EXE.
#include "package/catalogue.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 4);
    char* dot = std::strrchr(path, '.');
    if (dot != nullptr) std::strcpy(dot, ".bin");
    char title[HeaderTitleSize + 1] = "(unknown)";
    if (FILE* data = std::fopen(path, "rb")) {
        CatalogueHeader header;
        if (std::fread(&header, 1, sizeof header, data) == sizeof header) {
            std::memcpy(title, header.Title, HeaderTitleSize);
            title[HeaderTitleSize] = '\0';
        }
        std::fclose(data);
    }
    char text[400];
    std::snprintf(text, sizeof text, "This is the uninstaller of %s.\n\nIts data file: %s", title,
                  path);
    MessageBoxA(nullptr, text, "Uninstall", MB_OK);
    return 0;
}
