// The application's program group and items, as the install sequence makes them, and the
// program-manager commands that make them and remove the items again.
#pragma once

#include "base/messages.h"

#include <cstddef>

constexpr size_t ProgramGroupCommandSize = 1000; // bytes per command text
constexpr int MaxProgramGroupCommands = 5;

// The names the group and items carry: the group (StrGroupName) and the uninstaller's item
// (StrUninstallItem with the Title).
struct GroupNames {
    char group[256] = {};
    char uninstallItem[512] = {};
};
// Loads the group's name and formats the uninstaller item's name for the catalogue's Title.
void LoadGroupNames(GroupNames* names);

// One program item: what the program-manager commands create, the desktop's menu entries show
// and the removal deletes.
struct ProgramItem {
    char name[512];           // the Title, or the uninstaller item's name (StrUninstallItem)
    char program[PathSize];   // the program's Windows path: directory, backslash, file name
    char directory[PathSize]; // its default directory: directory without trailing backslashes
    bool whole;               // false when the program's path did not fit; such an item is not made
};
constexpr int MaxProgramItems = 2;

// The items an installation into directory (a Windows path, with or without its final
// backslash) makes, in order: the program (the Title, the catalogue's program name) and, when
// uninstallerName is not empty, the uninstaller (StrUninstallItem with the Title). Written to
// items; returns their number, 1 or 2. An INSV package makes none: its callers ask InsvPackage
// first.
int ProgramItems(const char* directory, const char* uninstallerName,
                 ProgramItem items[MaxProgramItems]);

// Builds, in order, the commands that create the group (StrGroupName), replace and add the
// program item (its path in double quotes, its name and default directory), and, when
// UninstallerName is not empty, replace and add the uninstaller item: the items ProgramItems
// gives for InstallDir and UninstallerName. Each name is one argument as
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
