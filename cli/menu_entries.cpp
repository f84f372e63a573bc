// Desktop entries for an installation into a Wine prefix: one per program item, written where
// Wine's own menu integration keeps them, so the programs show up in the desktop's menu.
#include "cli/menu_entries.h"

#include "cli/cli.h"
#include "cli/host_output.h"

#include "base/pe_icon.h"
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr size_t MaxFileNameBytes = 200;
constexpr uintmax_t MaxProgramBytes = 64u << 20; // larger programs get no icon

// An ANSI text as UTF-8, with its control characters (C0, DEL and C1) replaced.
std::string PrintableUtf8(const std::string& ansi, char replacement) {
    std::string out;
    for (char c : ansi) {
        std::string character = AnsiToUtf8(std::string(1, c));
        auto lead = static_cast<unsigned char>(character[0]);
        bool control = lead < 0x20 || lead == 0x7F ||
                       (lead == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0);
        out += control ? std::string(1, replacement) : character;
    }
    return out;
}

// A value of the Desktop Entry format: backslash, newline, tab and carriage return escaped.
std::string EntryValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// One argument of an Exec line: quoted when it holds a reserved character, with the double
// quote, backquote, dollar sign and backslash escaped inside the quotes, and % doubled (a field
// code otherwise). The value's own escapes (EntryValue) come on top of this.
std::string ExecArgument(const std::string& argument) {
    bool quote =
        argument.empty() || argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
    std::string out = quote ? "\"" : "";
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
        if (c == '%') out += '%';
    }
    if (quote) out += '"';
    return out;
}

// The program's file name after its last backslash, in lower case (ASCII letters only, as
// Wine's window classes have it).
std::string WindowClass(const std::string& program) {
    size_t slash = program.find_last_of('\\');
    std::string name = program.substr(slash == std::string::npos ? 0 : slash + 1);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return PrintableUtf8(name, '_');
}

// Writes bytes to path through a temporary file in the same folder, renamed over path once
// whole, so a reader never sees half a file. False when any step fails (nothing is left).
bool WriteWhole(const fs::path& path, const std::string& bytes) {
    OutputBeside out;
    if (!out.Open(path.string(), 0644)) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.File()) == bytes.size();
    return out.Finish(written) && written;
}

// The first icon of the installed program at the Windows path program, as PNG; "" when it has
// none or cannot be read.
std::string ProgramIcon(const std::string& program) {
    std::string host = PosixHostPath(program.c_str());
    std::error_code error;
    uintmax_t size = host.empty() ? 0 : fs::file_size(host, error);
    if (error || size == 0 || size > MaxProgramBytes) return "";
    std::ifstream in(host, std::ios::binary);
    std::vector<uint8_t> exe((std::istreambuf_iterator<char>(in)), {});
    std::vector<uint8_t> png = FirstIconPng(exe);
    return std::string(png.begin(), png.end());
}

// The folder of group's icons below dataHome.
fs::path IconFolder(const std::string& dataHome, const std::string& group) {
    return fs::path(dataHome) / "icons" / "disksetup" / SafeFileName(group);
}

// Text for an XML document: & < > " ' as entities.
std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

// The menus that Wine's own menu integration nests the start menu's folders in: the submenu
// "wine-wine" (Wine), in it "wine-Programs" (Programs), in it one per program group. Each has
// a directory entry in dataHome/desktop-directories that names it, and each desktop entry a
// menu file in configHome/menus/applications-merged that places it in its group's submenu.
struct WineMenu {
    const char* name;
    const char* title;
    const char* icon;
};
constexpr WineMenu OuterMenus[] = {{"wine-wine", "Wine", "wine"},
                                   {"wine-Programs", "Programs", "folder"}};

// The name of group's submenu, of its directory entry without ".directory", and the start of
// its desktop entries' ids.
std::string GroupMenuName(const std::string& group) {
    return "wine-Programs-" + SafeFileName(group);
}

fs::path DirectoryEntryPath(const std::string& dataHome, const std::string& menu) {
    return fs::path(dataHome) / "desktop-directories" / (menu + ".directory");
}

// The folder that the variable names when it holds an absolute path, else $HOME followed by
// below; "" when neither is set.
std::string XdgFolder(const char* variable, const char* below) {
    const char* xdg = std::getenv(variable);
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    return home && home[0] ? std::string(home) + below : "";
}

std::string ConfigHome() {
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

// The menu file of the entry stem in group, "" without a configuration folder.
fs::path MenuFilePath(const std::string& group, const std::string& stem) {
    std::string configHome = ConfigHome();
    if (configHome.empty()) return {};
    return fs::path(configHome) / "menus" / "applications-merged" /
           (GroupMenuName(group) + "-" + stem + ".menu");
}

std::string DirectoryEntryText(const std::string& title, const std::string& icon) {
    return "[Desktop Entry]\nType=Directory\nName=" + EntryValue(title) + "\nIcon=" + icon + "\n";
}

// The menu file that puts the desktop entry stem into group's submenu, within Wine's menus.
std::string MenuFileText(const std::string& group, const std::string& stem) {
    std::string menu = GroupMenuName(group);
    std::string text = "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
                       "\"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
                       "<Menu>\n"
                       "  <Name>Applications</Name>\n";
    std::vector<std::string> names = {OuterMenus[0].name, OuterMenus[1].name, menu};
    for (const std::string& name : names)
        text += "  <Menu>\n    <Name>" + XmlText(name) + "</Name>\n    <Directory>" +
                XmlText(name) + ".directory</Directory>\n";
    text += "    <Include>\n      <Filename>" + XmlText(menu + "-" + stem) +
            ".desktop</Filename>\n    </Include>\n";
    for (size_t i = 0; i < names.size(); ++i)
        text += "  </Menu>\n";
    return text + "</Menu>\n";
}

// Writes the directory entries of Wine's outer menus where they are missing (Wine's own, when
// there, stay as they are) and group's, and the menu file of the entry stem. Returns the files
// written; sets *failed when one of the group's could not be written.
std::vector<fs::path> WriteMenuFiles(const std::string& group, const std::string& dataHome,
                                     const std::string& stem, bool* failed) {
    std::vector<fs::path> written;
    fs::path menuFile = MenuFilePath(group, stem);
    if (menuFile.empty()) return written;
    std::error_code error;
    fs::create_directories(DirectoryEntryPath(dataHome, "").parent_path(), error);
    fs::create_directories(menuFile.parent_path(), error);
    for (const WineMenu& outer : OuterMenus) {
        fs::path path = DirectoryEntryPath(dataHome, outer.name);
        if (!fs::exists(path, error) &&
            WriteWhole(path, DirectoryEntryText(outer.title, outer.icon)))
            written.push_back(path);
    }
    fs::path directory = DirectoryEntryPath(dataHome, GroupMenuName(group));
    for (auto [path, text] :
         {std::pair{directory, DirectoryEntryText(PrintableUtf8(group, ' '), "folder")},
          std::pair{menuFile, MenuFileText(group, stem)}}) {
        if (WriteWhole(path, text)) {
            written.push_back(path);
        } else {
            PrintError("cannot write the menu file " + EscapeHostName(path.string()));
            *failed = true;
        }
    }
    return written;
}

// The value of key in an entry's text, "" when it has none.
std::string EntryKey(const std::string& entry, const std::string& key) {
    size_t at = entry.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    at += key.size() + 2;
    return entry.substr(at, entry.find('\n', at) - at);
}

} // namespace

MenuGroup MenuGroupOf(const std::string& directory, const std::string& uninstallerName) {
    GroupNames names;
    LoadGroupNames(&names);
    ProgramItem items[MaxProgramItems];
    int count = ProgramItems(directory.c_str(), uninstallerName.c_str(), items);
    MenuGroup group{names.group, {}};
    for (int i = 0; i < count; ++i)
        if (items[i].whole) group.items.push_back(items[i]);
    return group;
}

std::string DataHome() {
    return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

fs::path MenuFolder(const std::string& dataHome, const std::string& group) {
    return fs::path(dataHome) / "applications" / "wine" / "Programs" / SafeFileName(group);
}

std::string SafeFileName(const std::string& name) {
    std::string safe = PrintableUtf8(name, '_');
    for (char& c : safe)
        if (c == '/' || c == '\\') c = '_';
    if (safe.empty() || safe[0] == '.') safe.insert(safe.begin(), '_');
    if (safe.size() > MaxFileNameBytes) {
        size_t cut = MaxFileNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80)
            --cut;
        safe.resize(cut);
    }
    return safe;
}

std::string DesktopEntryText(const ProgramItem& item, const std::string& prefix,
                             const std::string& hostDirectory, const std::string& iconPath) {
    std::string program = PrintableUtf8(item.program, '_');
    std::string exec =
        "env " + ExecArgument("WINEPREFIX=" + prefix) + " wine " + ExecArgument(program);
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=" +
                       EntryValue(PrintableUtf8(item.name, ' ')) +
                       "\n"
                       "Exec=" +
                       EntryValue(exec) +
                       "\n"
                       "Path=" +
                       EntryValue(hostDirectory) + "\n";
    if (!iconPath.empty()) text += "Icon=" + EntryValue(iconPath) + "\n";
    text += "Comment=" + EntryValue(program) +
            "\n"
            "Categories=X-Wine;\n"
            "StartupNotify=true\n"
            "StartupWMClass=" +
            EntryValue(WindowClass(item.program)) + "\n";
    return text;
}

std::vector<fs::path> WriteMenuEntries(const MenuGroup& menuGroup, const std::string& dataHome,
                                       const std::string& prefix, bool* failed) {
    const std::string& group = menuGroup.name;
    std::vector<fs::path> written;
    fs::path folder = MenuFolder(dataHome, group);
    fs::path icons = IconFolder(dataHome, group);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        PrintError("cannot create the menu folder " + EscapeHostName(folder.string()) + ": " +
                   error.message());
        *failed = true;
        return written;
    }
    for (const ProgramItem& item : menuGroup.items) {
        std::string stem = SafeFileName(item.name);
        fs::path icon;
        std::string png = ProgramIcon(item.program);
        if (!png.empty()) {
            icon = icons / (stem + ".png");
            fs::create_directories(icons, error);
            if (error || !WriteWhole(icon, png)) icon.clear();
        }
        fs::path entry = folder / (stem + ".desktop");
        std::string text = DesktopEntryText(
            item, prefix, PosixHostPath((std::string(item.directory) + "\\").c_str()),
            icon.string());
        if (WriteWhole(entry, text)) {
            written.push_back(entry);
            for (const fs::path& file : WriteMenuFiles(group, dataHome, stem, failed))
                written.push_back(file);
        } else {
            PrintError("cannot write the menu entry " + EscapeHostName(entry.string()));
            *failed = true;
        }
    }
    return written;
}

std::vector<fs::path> RemoveMenuEntries(const MenuGroup& menuGroup, const std::string& dataHome,
                                        const std::string& prefix) {
    const std::string& group = menuGroup.name;
    std::vector<fs::path> removed;
    fs::path folder = MenuFolder(dataHome, group), icons = IconFolder(dataHome, group);
    for (const ProgramItem& item : menuGroup.items) {
        std::string stem = SafeFileName(item.name);
        fs::path entry = folder / (stem + ".desktop");
        std::ifstream in(entry, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        std::string ours = DesktopEntryText(item, prefix, "", "");
        if (text.empty() || EntryKey(text, "Exec") != EntryKey(ours, "Exec")) continue;
        std::error_code error;
        if (!fs::remove(entry, error)) continue;
        removed.push_back(entry);
        fs::path icon = icons / (stem + ".png");
        if (EntryKey(text, "Icon") == EntryValue(icon.string())) fs::remove(icon, error);
        fs::path menuFile = MenuFilePath(group, stem);
        if (!menuFile.empty() && fs::remove(menuFile, error)) removed.push_back(menuFile);
    }
    std::error_code error;
    // The group's submenu goes with its last entry; Wine's outer menus may hold others.
    fs::path directory = DirectoryEntryPath(dataHome, GroupMenuName(group));
    if (!removed.empty() && fs::is_empty(folder, error) && fs::remove(directory, error))
        removed.push_back(directory);
    for (const fs::path& empty : {folder, icons})
        if (fs::is_empty(empty, error)) fs::remove(empty, error);
    return removed;
}
