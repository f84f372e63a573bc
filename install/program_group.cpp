// The program-manager commands that make the application's program group and items.
#include "install/program_group.h"

#include "install/placement.h"
#include "install/transfer.h"
#include "package/catalogue.h"
#include "package/paths.h"

#include <cstring>

namespace {

// Appends text to command, cut at the command's end.
void Add(char* command, const char* text) {
    size_t have = strnlen(command, ProgramGroupCommandSize);
    CopyText(command + have, ProgramGroupCommandSize - have, text);
}

void Enclose(char* command, const char* before, const char* text, const char* after) {
    Add(command, before);
    Add(command, text);
    Add(command, after);
}

// Ends an AddItem command: ",,,,," + InstallDir without its trailing backslash + ")]".
void AddDirectoryAndClose(char* command) {
    Add(command, ",,,,,");
    Add(command, InstallDir);
    StripBackslash(command);
    Add(command, ")]");
}

// The names the commands carry: the group (string 307) and the uninstaller's item (string 308
// with the Title).
struct GroupNames {
    char group[256] = {};
    char uninstallItem[512] = {};
};

void LoadGroupNames(GroupNames* names, const char* title) {
    PlatformLoadString(StrGroupName, names->group, sizeof names->group);
    FormatMessageText(names->uninstallItem, sizeof names->uninstallItem, StrUninstallItem, title);
}

void ClearCommands(char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]) {
    for (int i = 0; i < MaxProgramGroupCommands; ++i)
        commands[i][0] = '\0';
}

} // namespace

int BuildProgramGroupCommands(char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]) {
    // The loader refuses a catalogue whose Title is not ended within its field.
    const char* title = Header.Title;
    GroupNames names;
    LoadGroupNames(&names, title);
    const char* group = names.group;
    const char* uninstallItem = names.uninstallItem;
    ClearCommands(commands);
    Enclose(commands[0], "[CreateGroup(", group, ")]");
    Enclose(commands[1], "[ReplaceItem(", title, ")]");
    Enclose(commands[2], "[AddItem(\"", CatalogueProgramName(), "\",");
    Add(commands[2], title);
    AddDirectoryAndClose(commands[2]);
    if (UninstallerName[0] == '\0') return 3;
    Enclose(commands[3], "[ReplaceItem(", uninstallItem, ")]");
    Enclose(commands[4], "[AddItem(", UninstallerName, ",");
    Add(commands[4], uninstallItem);
    AddDirectoryAndClose(commands[4]);
    return 5;
}

int BuildProgramItemRemovalCommands(
    char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]) {
    const char* title = Header.Title;
    GroupNames names;
    LoadGroupNames(&names, title);
    ClearCommands(commands);
    Enclose(commands[0], "[CreateGroup(", names.group, ")]");
    Enclose(commands[1], "[DeleteItem(", title, ")]");
    Enclose(commands[2], "[DeleteItem(", names.uninstallItem, ")]");
    return 3;
}
