// Desktop entries for an installation into a Wine prefix: one per program item, written where
// Wine's own menu integration keeps them, so the programs show up in the desktop's menu.
#pragma once

#include "install/program_group.h"

#include <filesystem>
#include <string>
#include <vector>

// The program group whose items become entries: its name and the items of ProgramItems whose
// paths fit (texts ANSI, as in the package).
struct MenuGroup {
    std::string name;
    std::vector<ProgramItem> items;
};
// The group of the installation into directory (a Windows path, with or without its final
// backslash) whose uninstaller there is named uninstallerName ("" for none).
MenuGroup MenuGroupOf(const std::string& directory, const std::string& uninstallerName);

// $XDG_DATA_HOME, else $HOME/.local/share; "" when neither is set.
std::string DataHome();
// The folder of group's entries: dataHome/applications/wine/Programs/<group>.
std::filesystem::path MenuFolder(const std::string& dataHome, const std::string& group);
// The file name of an entry or group folder for an ANSI name: UTF-8, with "/", "\", control
// characters and a leading dot replaced by "_", never "" or "..", at most 200 bytes.
std::string SafeFileName(const std::string& name);

// The text of item's entry: Name, Exec (env WINEPREFIX=<prefix> wine <program>, quoted as the
// Desktop Entry rules demand), Path (hostDirectory), Icon (iconPath, left out when ""),
// Categories, StartupWMClass (the program's file name in lower case, as Wine names its windows).
std::string DesktopEntryText(const ProgramItem& item, const std::string& prefix,
                             const std::string& hostDirectory, const std::string& iconPath);

// Writes the entries of group's items below dataHome for a Wine prefix whose drive_c is driveC,
// each file whole or not at all (written beside it, then renamed), with the program's first icon as
// PNG below dataHome/icons/disksetup/<group>/. Like Wine's menu integration, each entry also gets a
// menu file in $XDG_CONFIG_HOME/menus/applications-merged (~/.config without it) that places it in
// the group's own submenu, whose name comes from the group's directory entry in
// dataHome/desktop-directories (Wine's outer menus' entries are written where missing). Returns
// the files written; prints why an entry or menu file could not be written, goes on with the
// next, and then sets *failed.
std::vector<std::filesystem::path> WriteMenuEntries(const MenuGroup& group,
                                                    const std::string& dataHome,
                                                    const std::string& prefix, bool* failed);

// Removes the entries of group's items that WriteMenuEntries wrote for the same prefix (an entry at
// the item's place whose Exec line starts another program or prefix is not ours and stays),
// their icons and menu files, and the group's folders and directory entry when that leaves
// the group without entries. Returns the files removed.
std::vector<std::filesystem::path>
RemoveMenuEntries(const MenuGroup& group, const std::string& dataHome, const std::string& prefix);
