// disksetup install into a Wine prefix: desktop entries for the program items, as the Desktop
// Entry rules read them, their icons, and names from packages that must not escape the folder.
#include "tests/support/cli_fixture.h"
#include "tests/support/pe_image.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A 2x2 icon of 4 bits a pixel: palette colour 1 is red, 2 is blue; the top row holds 1 and 2,
// the bottom row 2 and a pixel that the mask makes transparent.
std::vector<uint8_t> TwoByTwoIcon() {
    std::vector<uint8_t> dib(40 + 16 * 4 + 8 + 8, 0);
    dib[0] = 40;
    dib[4] = 2;
    dib[8] = 4; // colour rows and mask rows
    dib[12] = 1;
    dib[14] = 4;
    dib[40 + 4 + 2] = 0xFF; // colour 1: blue 0, green 0, red 255
    dib[40 + 8 + 0] = 0xFF; // colour 2: blue 255
    dib[104] = 0x20;        // bottom row: 2, 0
    dib[108] = 0x12;        // top row: 1, 2
    dib[112] = 0x40;        // bottom row's mask: the second pixel is transparent
    return dib;
}

// The words of an Exec value as a launcher reads them: the value's escapes first, then the
// quoting of arguments, then %% as a literal %.
std::vector<std::string> SplitExec(const std::string& value) {
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            char next = value[++i];
            unescaped += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            unescaped += value[i];
        }
    }
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (size_t i = 0; i < unescaped.size(); ++i) {
        char c = unescaped[i];
        if (quoted && c == '\\' && i + 1 < unescaped.size()) {
            word += unescaped[++i];
        } else if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any || !word.empty()) words.push_back(word);
            word.clear();
            any = false;
        } else if (c == '%' && i + 1 < unescaped.size() && unescaped[i + 1] == '%') {
            word += '%';
            ++i;
        } else {
            word += c;
        }
    }
    if (any || !word.empty()) words.push_back(word);
    return words;
}

// The value of key in an entry's text.
std::string ValueOf(const std::string& entry, const std::string& key) {
    size_t at = entry.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    at += key.size() + 2;
    return entry.substr(at, entry.find('\n', at) - at);
}

class CliMenu : public CliFixture {
  protected:
    CliMenu() { fs::create_directories(Host("a prefix/drive_c/windows/syswow64")); }
    std::string Install(const std::string& title, const std::string& more = "") {
        PeImageOptions withIcon{
            .withVersion = false, .icon = TwoByTwoIcon(), .iconSide = 2, .iconBits = 4};
        TestPackage package{.program = "SPACE.EXE",
                            .title = title,
                            .files = {{.name = "SPACE.EXE", .bytes = BuildPeImage(withIcon)},
                                      {.name = "uninstal.exe", .bytes = PatternBytes(50)}}};
        CommandResult r =
            Run("install " + Write(package) + " --wine-prefix " + Quoted("a prefix") + more);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }
    fs::path DataHome() { return std::getenv("XDG_DATA_HOME"); }
    fs::path Folder() { return DataHome() / "applications/wine/Programs/Applications"; }
    fs::path MenuFile(const std::string& entry) {
        return Host("config-home/menus/applications-merged/wine-Programs-Applications-" + entry +
                    ".menu");
    }
    // The files below the data and configuration folders, by name.
    std::set<std::string> MenuFiles() {
        std::set<std::string> files;
        for (const fs::path& home : {DataHome(), Host("config-home")})
            for (const auto& file : fs::recursive_directory_iterator(home))
                if (file.is_regular_file()) files.insert(file.path().filename().string());
        return files;
    }
};

TEST_F(CliMenu, EntriesStartTheInstalledProgramsThroughWineAndPassTheValidator) {
    // Latin-1 "Space, "Game" (Ärger) $5 100%"
    Install("Space, \"Game\" (\xC4rger) $5 100%");
    std::string prefix = Host("a prefix").string();
    struct Expected {
        std::string file, name, program;
    } expected[] = {{"Space, \"Game\" (\xC3\x84rger) $5 100%.desktop",
                     "Space, \"Game\" (\xC3\x84rger) $5 100%", "C:\\windows\\SPACE\\SPACE.EXE"},
                    {"Uninstall Space, \"Game\" (\xC3\x84rger) $5 100%.desktop",
                     "Uninstall Space, \"Game\" (\xC3\x84rger) $5 100%",
                     "C:\\windows\\SPACE\\uninstal.exe"}};
    for (const Expected& e : expected) {
        fs::path path = Folder() / e.file;
        ASSERT_TRUE(fs::exists(path)) << path;
        std::string entry = Text(ReadHostFile(path));
        EXPECT_EQ(ValueOf(entry, "Name"), e.name);
        EXPECT_EQ(SplitExec(ValueOf(entry, "Exec")),
                  (std::vector<std::string>{"env", "WINEPREFIX=" + prefix, "wine", e.program}));
        EXPECT_EQ(ValueOf(entry, "Path"), prefix + "/drive_c/windows/SPACE");
        CommandResult check = RunCommand("desktop-file-validate " + ShellQuote(path.string()));
        EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
        // The menu file nests the entry in the group's submenu, named by its directory entry.
        std::string stem = path.stem().string();
        CommandResult menu =
            RunCommand("python3 -c 'import sys, xml.dom.minidom as m; d = m.parse(sys.argv[1]); "
                       "print(*(e.firstChild.data for e in d.getElementsByTagName(\"Directory\") + "
                       "d.getElementsByTagName(\"Filename\")))' " +
                       ShellQuote(MenuFile(stem).string()));
        EXPECT_EQ(menu.out, "wine-wine.directory wine-Programs.directory "
                            "wine-Programs-Applications.directory wine-Programs-Applications-" +
                                stem + ".desktop\n")
            << menu.err;
    }
    for (const char* menu : {"wine-wine", "wine-Programs", "wine-Programs-Applications"}) {
        fs::path path = DataHome() / "desktop-directories" / (std::string(menu) + ".directory");
        CommandResult check = RunCommand("desktop-file-validate " + ShellQuote(path.string()));
        EXPECT_EQ(check.exitCode, 0) << path << check.out << check.err;
    }
    // The program's icon as a 2x2 PNG, its transparent pixel kept (ImageMagick reads it).
    std::string entry = Text(ReadHostFile(Folder() / expected[0].file));
    std::string icon = ValueOf(entry, "Icon");
    ASSERT_TRUE(fs::exists(icon)) << entry;
    CommandResult pixels = RunCommand("convert " + ShellQuote(icon) + " -depth 8 txt:-");
    EXPECT_NE(pixels.out.find("0,0: (255,0,0,255)"), std::string::npos) << pixels.out;
    EXPECT_NE(pixels.out.find("1,0: (0,0,255,255)"), std::string::npos) << pixels.out;
    EXPECT_NE(pixels.out.find("1,1: (0,0,0,0)"), std::string::npos) << pixels.out;
    EXPECT_EQ(ValueOf(Text(ReadHostFile(Folder() / expected[1].file)), "Icon"), "");
}

TEST_F(CliMenu, NoMenuAndRootInstallationsWriteNoEntries) {
    Install("Space Game", " --no-menu");
    TestPackage plain{.program = "SPACE.EXE",
                      .files = {{.name = "SPACE.EXE", .bytes = PatternBytes(9)}}};
    CommandResult r = Run("install " + Write(plain) + " --root " + Quoted("root"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(fs::exists(Host("data-home")));
}

TEST_F(CliMenu, AMenuEntryThatCannotBeWrittenFailsTheInstallation) {
    // A file where the menu folder should be: the entries cannot be made.
    fs::create_directories(DataHome());
    WriteHostFile(DataHome() / "applications", PatternBytes(3));
    TestPackage package{.program = "SPACE.EXE",
                        .files = {{.name = "SPACE.EXE", .bytes = PatternBytes(9)}}};
    CommandResult r = Run("install " + Write(package) + " --wine-prefix " + Quoted("a prefix"));
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("cannot create the menu folder"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(Host("a prefix/drive_c/windows/SPACE/SPACE.EXE")));
}

TEST_F(CliMenu, HostileTitlesStayInsideTheMenuFolder) {
    for (std::string title : {"../../../escaped", "/", "..", ".hidden", "a\nb\x01/c\\d"}) {
        Install(title);
        for (const auto& file : fs::recursive_directory_iterator(Host("data-home"))) {
            if (!file.is_regular_file() || file.path().extension() == ".directory") continue;
            fs::path relative = fs::relative(file.path(), Host("data-home"));
            EXPECT_EQ(relative.begin()->string() + "/" + std::next(relative.begin())->string(),
                      relative.extension() == ".png" ? "icons/disksetup" : "applications/wine")
                << title << ": " << relative;
            EXPECT_EQ(file.path().parent_path().filename(), "Applications") << relative;
        }
        for (const auto& file : fs::recursive_directory_iterator(Host("config-home")))
            EXPECT_TRUE(file.is_directory() ||
                        file.path().parent_path() == Host("config-home/menus/applications-merged"))
                << file.path();
    }
    EXPECT_TRUE(fs::exists(Folder() / "_.hidden.desktop"));
    EXPECT_TRUE(fs::exists(Folder() / "a_b__c_d.desktop"));
}

// The data folder's path holds a backslash, which the entries' values escape.
TEST_F(CliMenu, UninstallRemovesTheEntriesItsInstallationWroteAndNoOthers) {
    setenv("XDG_DATA_HOME", Host("data\\home").c_str(), 1);
    Install("Space Game");
    std::string foreign = "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n";
    // An entry at an item's place that starts something else is not ours.
    WriteHostFile(Folder() / "Uninstall Space Game.desktop", foreign);
    WriteHostFile(Folder() / "Notes.desktop", foreign);
    CommandResult r = Run("uninstall --wine-prefix " + Quoted("a prefix") +
                          " 'C:\\windows\\SPACE\\uninstal.exe' --yes");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("removed menu entry "), std::string::npos) << r.out;
    // The group keeps its submenu while entries are left in it; its other menu files stay.
    EXPECT_EQ(MenuFiles(),
              (std::set<std::string>{"Uninstall Space Game.desktop", "Notes.desktop",
                                     "wine-wine.directory", "wine-Programs.directory",
                                     "wine-Programs-Applications.directory",
                                     "wine-Programs-Applications-Uninstall Space Game.menu"}));
    // With the group's last entry gone, its directory entry and menu files go too.
    fs::remove(Folder() / "Uninstall Space Game.desktop");
    fs::remove(Folder() / "Notes.desktop");
    Install("Space Game");
    r = Run("uninstall --wine-prefix " + Quoted("a prefix") +
            " 'C:\\windows\\SPACE\\uninstal.exe' --yes");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(MenuFiles(),
              (std::set<std::string>{"wine-wine.directory", "wine-Programs.directory"}));
}

// At a drive root the items' directory is the drive as the program-manager commands give it,
// and their programs lie directly in its root; uninstall finds the same entries.
TEST_F(CliMenu, DriveRootDestinationKeepsOneFormOfItsPaths) {
    std::string out = Install("Space Game", " --dest 'C:\\'");
    EXPECT_NE(out.find("[AddItem(\"C:\\SPACE.EXE\",Space Game,,,,,C:)]"), std::string::npos) << out;
    std::string entry = Text(ReadHostFile(Folder() / "Space Game.desktop"));
    EXPECT_EQ(SplitExec(ValueOf(entry, "Exec")).back(), "C:\\SPACE.EXE");
    EXPECT_EQ(ValueOf(entry, "Path"), Host("a prefix/drive_c").string());
    CommandResult r =
        Run("uninstall --wine-prefix " + Quoted("a prefix") + " 'C:\\uninstal.exe' --yes");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(fs::exists(Folder()));
}

// Started under another name (a link, a path), the command still calls itself disksetup and
// shows how each subcommand is used.
TEST_F(CliMenu, HelpAndVersionNameTheCommandAndGiveExamples) {
    fs::create_symlink(DISKSETUP_CLI, Host("ds-link"));
    CommandResult version = RunCommand(Quoted("ds-link") + " --version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("disksetup ", 0), 0u) << version.out;
    CommandResult help = RunCommand(Quoted("ds-link") + " install --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.find("ds-link"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Usage: disksetup install"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Examples:\n  disksetup install "), std::string::npos) << help.out;
}

} // namespace
