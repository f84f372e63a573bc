// The program-manager commands that make the application's program group and items.
#include "install/program_group.h"

#include "install/placement.h"
#include "install/transfer.h"
#include "package/catalogue.h"
#include "package/paths.h"

#include <cstdio>
#include <cstring>

namespace {

// Appends text to command, cut at the command's end.
void Add(char* command, const char* text) {
    size_t have = strnlen(command, ProgramGroupCommandSize);
    CopyText(command + have, ProgramGroupCommandSize - have, text);
}

// Ends an AddItem command: ",,,,," + InstallDir without its trailing backslash + ")]".
void AddDirectoryAndClose(char* command) {
    Add(command, ",,,,,");
    Add(command, InstallDir);
    StripBackslash(command);
    Add(command, ")]");
}

const char* CatalogueTitle(char* title) {
    std::memcpy(title, Header.Title, HeaderTitleSize);
    title[HeaderTitleSize] = '\0';
    return title;
}

} // namespace

int BuildProgramGroupCommands(char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]) {
    char title[HeaderTitleSize + 1];
    CatalogueTitle(title);
    char slot[256] = {};
    for (int i = 0; i < MaxProgramGroupCommands; ++i) commands[i][0] = '\0';
    PlatformLoadString(StrGroupName, slot, sizeof slot);
    Add(commands[0], "[CreateGroup(");
    Add(commands[0], slot);
    Add(commands[0], ")]");
    Add(commands[1], "[ReplaceItem(");
    Add(commands[1], title);
    Add(commands[1], ")]");
    Add(commands[2], "[AddItem(\"");
    Add(commands[2], CatalogueProgramName());
    Add(commands[2], "\",");
    Add(commands[2], title);
    AddDirectoryAndClose(commands[2]);
    if (UninstallerName[0] == '\0') return 3;
    char item[512] = {};
    FormatMessageText(item, sizeof item, StrUninstallItem, title);
    Add(commands[3], "[ReplaceItem(");
    Add(commands[3], item);
    Add(commands[3], ")]");
    Add(commands[4], "[AddItem(");
    Add(commands[4], UninstallerName);
    Add(commands[4], ",");
    Add(commands[4], item);
    AddDirectoryAndClose(commands[4]);
    return 5;
}
