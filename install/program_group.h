// The program-manager commands that make the application's program group and items, and
// remove the items again.
#pragma once

#include <cstddef>

constexpr size_t ProgramGroupCommandSize = 1000; // bytes per command text
constexpr int MaxProgramGroupCommands = 5;

// The names the group and items carry: the group (StrGroupName) and the uninstaller's item
// (StrUninstallItem with the Title).
struct GroupNames {
    char group[256] = {};
    char uninstallItem[512] = {};
};
// Loads the group's name and formats the uninstaller item's name for title.
void LoadGroupNames(GroupNames* names, const char* title);

// The default directory of the program items for an installation into directory (a Windows
// path): directory without its trailing backslash, so a drive root keeps only 'C:'. Written to
// out, a text of size bytes.
void ProgramItemDirectory(char* out, size_t size, const char* directory);

// Builds, in order, the commands that create the group (StrGroupName), replace and add the program
// item (InstallDir + ProgramName in double quotes, Title, the items' default directory), and, when
// UninstallerName is not empty, replace and add the uninstaller item (InstallDir + UninstallerName,
// StrUninstallItem with Title, the same directory). Each name is one argument as
// AppendProgmanArgument writes it: as it stands, or quoted when it holds , ( ) [ ] or ". A command
// that cannot carry its names (one holds a double quote) is left empty and is not to be sent, so no
// item gets a garbled name. Returns the number of commands: 5, or 3 without an uninstaller.
int BuildProgramGroupCommands(char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]);

// Builds the commands that remove the application's two items: the group is made the active
// one (StrGroupName; an existing group is kept as it is, with its other items), then the program
// item (Title) and the uninstaller item (StrUninstallItem with Title) are deleted. The names are
// inserted as in BuildProgramGroupCommands. Returns the number of commands written: 3.
int BuildProgramItemRemovalCommands(
    char commands[MaxProgramGroupCommands][ProgramGroupCommandSize]);
