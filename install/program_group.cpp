// The program-manager commands that make the application's program group and items.
#include "install/program_group.h"

#include "install/target_file.h"
#include "install/progman_argument.h"
#include "install/transfer.h"
#include "package/catalogue.h"
#include "base/paths.h"

#include <cstring>

namespace {

bool Add(char* command, const char* text) {
    return AppendText(command, ProgramGroupCommandSize, text);
}

bool Argument(char* command, const char* text) {
    return AppendProgmanArgument(command, ProgramGroupCommandSize, text);
}

// "[verb(" + name as one argument + ")]", the form of CreateGroup and ReplaceItem.
bool OneArgument(char* command, const char* verb, const char* name) {
    return Add(command, "[") && Add(command, verb) && Add(command, "(") &&
           Argument(command, name) && Add(command, ")]");
}

// Ends an AddItem command: the item's name, four empty arguments (icon path, icon index and
// position), the item's default directory, ")]".
bool ItemAndDirectory(char* command, const char* item) {
    char directory[PathSize] = {};
    ProgramItemDirectory(directory, PathSize, InstallDir);
    return Argument(command, item) && Add(command, ",,,,,") && Argument(command, directory) &&
           Add(command, ")]");
}

// InstallDir followed by name: the full path of an installed program, which every program
// manager finds (a bare name is looked up on the search path, where it is not).
bool InstalledPath(char* path, const char* name) {
    return CopyText(path, PathSize, InstallDir) && AppendText(path, PathSize, name);
}

void ClearCommands(char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]) {
    for (int i = 0; i < MaxProgramGroupCommands; ++i)
        commands[i][0] = '\0';
}

// Empties the first count commands that could not be built whole (a name the program manager
// cannot carry, or a command too long), so that none is sent garbled. Returns count.
int KeepBuilt(char commands[MaxProgramGroupCommands][ProgramGroupCommandSize], const bool* built,
              int count) {
    for (int i = 0; i < count; ++i)
        if (!built[i]) commands[i][0] = '\0';
    return count;
}

} // namespace

void ProgramItemDirectory(char* out, size_t size, const char* directory) {
    CopyText(out, size, directory);
    size_t length = strnlen(out, size);
    if (length > 0 && out[length - 1] == '\\') out[length - 1] = '\0';
}

void LoadGroupNames(GroupNames* names, const char* title) {
    PlatformLoadString(StrGroupName, names->group, sizeof names->group);
    FormatMessageText(names->uninstallItem, sizeof names->uninstallItem, StrUninstallItem, title);
}

int BuildProgramGroupCommands(char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]) {
    // The loader refuses a catalogue whose Title is not ended within its field.
    const char* title = Header.Title;
    char program[PathSize] = {};
    bool programPath = InstalledPath(program, CatalogueProgramName());
    GroupNames names;
    LoadGroupNames(&names, title);
    ClearCommands(commands);
    bool built[MaxProgramGroupCommands] = {};
    built[0] = OneArgument(commands[0], "CreateGroup", names.group);
    built[1] = OneArgument(commands[1], "ReplaceItem", title);
    // The program's command line is always quoted.
    built[2] = programPath && ProgmanCanCarry(program) && Add(commands[2], "[AddItem(\"") &&
               Add(commands[2], program) && Add(commands[2], "\",") &&
               ItemAndDirectory(commands[2], title);
    int count = 3;
    if (UninstallerName[0] != '\0') {
        char uninstaller[PathSize] = {};
        bool uninstallerPath = InstalledPath(uninstaller, UninstallerName);
        built[3] = OneArgument(commands[3], "ReplaceItem", names.uninstallItem);
        built[4] = uninstallerPath && Add(commands[4], "[AddItem(") &&
                   Argument(commands[4], uninstaller) && Add(commands[4], ",") &&
                   ItemAndDirectory(commands[4], names.uninstallItem);
        count = 5;
    }
    return KeepBuilt(commands, built, count);
}

int BuildProgramItemRemovalCommands(
    char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]) {
    const char* title = Header.Title;
    GroupNames names;
    LoadGroupNames(&names, title);
    ClearCommands(commands);
    bool built[MaxProgramGroupCommands] = {};
    built[0] = OneArgument(commands[0], "CreateGroup", names.group);
    built[1] = OneArgument(commands[1], "DeleteItem", title);
    built[2] = OneArgument(commands[2], "DeleteItem", names.uninstallItem);
    return KeepBuilt(commands, built, 3);
}
