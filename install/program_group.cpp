// The application's program group and items, and the program-manager commands that make them.
#include "install/program_group.h"

#include "base/paths.h"
#include "install/progman_argument.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "package/catalogue.h"

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
bool ItemAndDirectory(char* command, const ProgramItem& item) {
    return Argument(command, item.name) && Add(command, ",,,,,") &&
           Argument(command, item.directory) && Add(command, ")]");
}

// The default directory of the program items for an installation into directory (a Windows
// path): directory without its trailing backslashes, so a drive root keeps only 'C:'. Written
// to out (PathSize bytes); false when it was cut.
bool ProgramItemDirectory(char* out, const char* directory) {
    bool whole = CopyText(out, PathSize, directory);
    size_t length = strnlen(out, PathSize);
    while (length > 0 && out[length - 1] == '\\')
        out[--length] = '\0';
    return whole;
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

void LoadGroupNames(GroupNames* names) {
    // The loader refuses a catalogue whose Title is not ended within its field.
    PlatformLoadString(StrGroupName, names->group, sizeof names->group);
    FormatMessageText(names->uninstallItem, sizeof names->uninstallItem, StrUninstallItem,
                      Header.Title);
}

int ProgramItems(const char* directory, const char* uninstallerName,
                 ProgramItem items[MaxProgramItems]) {
    GroupNames names;
    LoadGroupNames(&names);
    const char* itemNames[MaxProgramItems] = {Header.Title, names.uninstallItem};
    const char* fileNames[MaxProgramItems] = {CatalogueProgramName(), uninstallerName};
    int count = uninstallerName[0] != '\0' ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        ProgramItem& item = items[i];
        CopyText(item.name, sizeof item.name, itemNames[i]);
        // The full path, which every program manager finds (a bare name is looked up on the
        // search path, where it is not).
        item.whole = ProgramItemDirectory(item.directory, directory) &&
                     CopyText(item.program, PathSize, item.directory) &&
                     AppendText(item.program, PathSize, "\\") &&
                     AppendText(item.program, PathSize, fileNames[i]);
    }
    return count;
}

int BuildProgramGroupCommands(char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]) {
    ProgramItem items[MaxProgramItems];
    int itemCount = ProgramItems(InstallDir, UninstallerName, items);
    GroupNames names;
    LoadGroupNames(&names);
    ClearCommands(commands);
    bool built[MaxProgramGroupCommands] = {};
    built[0] = OneArgument(commands[0], "CreateGroup", names.group);
    const ProgramItem& program = items[0];
    built[1] = OneArgument(commands[1], "ReplaceItem", program.name);
    // The program's command line is always quoted.
    built[2] = program.whole && ProgmanCanCarry(program.program) &&
               Add(commands[2], "[AddItem(\"") && Add(commands[2], program.program) &&
               Add(commands[2], "\",") && ItemAndDirectory(commands[2], program);
    if (itemCount == 1) return KeepBuilt(commands, built, 3);
    const ProgramItem& uninstaller = items[1];
    built[3] = OneArgument(commands[3], "ReplaceItem", uninstaller.name);
    built[4] = uninstaller.whole && Add(commands[4], "[AddItem(") &&
               Argument(commands[4], uninstaller.program) && Add(commands[4], ",") &&
               ItemAndDirectory(commands[4], uninstaller);
    return KeepBuilt(commands, built, 5);
}

int BuildProgramItemRemovalCommands(
    char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]) {
    GroupNames names;
    LoadGroupNames(&names);
    ClearCommands(commands);
    bool built[MaxProgramGroupCommands] = {};
    built[0] = OneArgument(commands[0], "CreateGroup", names.group);
    built[1] = OneArgument(commands[1], "DeleteItem", Header.Title);
    built[2] = OneArgument(commands[2], "DeleteItem", names.uninstallItem);
    return KeepBuilt(commands, built, 3);
}
