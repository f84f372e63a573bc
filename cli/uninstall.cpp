// disksetup uninstall: the uninstaller's removal without its windows. Drive C: is a host
// directory or a Wine prefix's drive_c; the installed uninstaller's data file says what to
// remove; the program-manager commands are printed instead of sent.
#include "cli/box_answers.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/menu_entries.h"
#include "cli/program_manager_commands.h"
#include "cli/system_drive.h"

#include "base/paths.h"
#include "install/program_group.h"
#include "package/catalogue.h"
#include "platform/posix/posix_platform.h"
#include "uninstall/removal.h"

#include <strings.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool Json; // with --json: Files gathers each removal's result
nlohmann::ordered_json Files;

// Whether name is one the installation gives its uninstaller's data file: uninstal.bin or
// unins1.bin to unins999.bin, in any letter case.
bool UninstallerDataName(const fs::path& name) {
    std::string stem = name.stem().string();
    if (!HasExtension(name, ".bin")) return false;
    if (strcasecmp(stem.c_str(), "uninstal") == 0) return true;
    return stem.size() > 5 && stem.size() <= 8 && strncasecmp(stem.c_str(), "unins", 5) == 0 &&
           stem.find_first_not_of("0123456789", 5) == std::string::npos && stem[5] != '0';
}

// The uninstallers in host directory dir: each NAME.exe that has its data file NAME.bin
// beside it (any letter case), by ANSI file name. Where there is none, an uninstaller data
// file alone stands for its uninstaller: a removal stopped after deleting the uninstaller
// leaves it, and running again finishes that removal.
std::vector<std::string> UninstallersIn(const fs::path& dir) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::vector<std::string> found;
    std::string ansi;
    for (const fs::path& exe : files) {
        if (!HasExtension(exe, ".exe")) continue;
        for (const fs::path& data : files)
            if (HasExtension(data, ".bin") &&
                strcasecmp(data.stem().c_str(), exe.stem().c_str()) == 0 &&
                Utf8ToAnsi(exe.filename().string(), &ansi))
                found.push_back(ansi);
    }
    if (found.empty())
        for (const fs::path& data : files)
            if (UninstallerDataName(data.filename()))
                found.push_back(data.stem().string() + ".exe");
    std::sort(found.begin(), found.end());
    return found;
}

// WINPATH as a Windows path on drive C: (host directory driveC): given so ("C:\\GAMES",
// also with '/'), or a host path inside drive C:, taken from the current directory, from
// drive C: itself or from the directory that holds it (a Wine prefix: "drive_c/windows/ORBIT").
// "" when it is neither.
std::string WindowsPathOf(const std::string& given, const std::string& driveC) {
    if (given.size() >= 3 && std::isalpha(static_cast<unsigned char>(given[0])) &&
        given[1] == ':' && (given[2] == '\\' || given[2] == '/')) {
        std::string path = given;
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    std::error_code error;
    fs::path drive = fs::weakly_canonical(driveC, error);
    std::vector<fs::path> bases = {fs::current_path(error), drive, drive.parent_path()};
    if (fs::path(given).is_absolute()) bases.resize(1);
    for (const fs::path& base : bases) {
        fs::path host = fs::weakly_canonical(base / given, error);
        if (error || !fs::exists(host, error)) continue;
        fs::path inside = host.lexically_relative(drive);
        if (inside.empty() || *inside.begin() == "..") continue;
        std::string path = "C:\\" + (inside == "." ? "" : inside.string());
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    return "";
}

// The uninstaller's Windows path for WINPATH (a Windows path, or a host path inside drive C:,
// driveC): the uninstaller itself (or its data file), or a directory that holds exactly one
// uninstaller. "" after printing why there is none; *code is then the exit code.
std::string UninstallerPath(const std::string& given, const std::string& driveC, int* code) {
    *code = ExitUsage;
    std::string windows = WindowsPathOf(given, driveC);
    std::string winPath;
    if (!windows.empty() && !CommandLineToAnsi(windows, &winPath)) return "";
    if (winPath.empty() || winPath.size() >= PathSize - 1) {
        PrintError(EscapeHostName(given) +
                   " is neither a full Windows path (such as C:\\GAMES\\SPACE\\uninstal.exe) of "
                   "at most 258 characters nor a host path inside drive C: (" +
                   EscapeHostName(driveC) + ")");
        return "";
    }
    *code = ExitBadInput;
    std::string host = PosixHostPath(winPath.c_str());
    std::error_code error;
    if (host.empty() || !fs::is_directory(host, error)) {
        fs::path given(winPath);
        if (!HasExtension(given, ".bin")) return winPath;
        return winPath.substr(0, winPath.size() - 4) + ".exe";
    }
    std::vector<std::string> found = UninstallersIn(host);
    std::string dir = winPath.back() == '\\' ? winPath : winPath + "\\";
    if (found.size() == 1) return dir + found[0];
    if (found.empty()) {
        PrintError("no uninstaller in " + EscapeName(winPath.c_str()) +
                   " (NAME.exe with its data file NAME.bin)");
        return "";
    }
    std::string names;
    for (const std::string& name : found)
        names += " " + EscapeName(name.c_str());
    PrintError("more than one uninstaller in " + EscapeName(winPath.c_str()) + ":" + names +
               "; name the one to run");
    *code = ExitUsage;
    return "";
}

// For a Wine prefix (driveC its drive_c): the desktop's menu entries that the installation of
// this package wrote for the uninstaller's directory, and only those.
void RemoveMenu(const std::string& driveC, const std::string& uninstaller) {
    std::string dataHome = DataHome();
    if (dataHome.empty()) return;
    size_t slash = uninstaller.find_last_of('\\');
    MenuGroup group = MenuGroupOf(uninstaller.substr(0, slash), uninstaller.substr(slash + 1));
    std::string prefix = fs::path(driveC).parent_path().string();
    for (const fs::path& entry : RemoveMenuEntries(group, dataHome, prefix))
        std::fprintf(Report, "removed menu entry %s\n", EscapeHostName(entry.string()).c_str());
}

// The uninstaller and then its data file, then its directory when that is left empty. The
// data file goes last, so that a run stopped at any step before it can be run again and
// finish: it names what is left (files already gone are reported as not found).
StatusCode RemoveUninstaller(const std::string& uninstaller) {
    char data[PathSize] = {};
    CopyText(data, PathSize, uninstaller.c_str());
    ReplaceExtension(data, PathSize, ".bin");
    StatusCode status = RemoveOwnFile(uninstaller.c_str());
    if (status == StatusOk) status = RemoveOwnFile(data);
    if (status == StatusOk) RemoveOwnDirectory();
    return status;
}

void PrintSummary(StatusCode status) {
    const RemovalCounts& t = RemovalTally;
    std::fprintf(Report, "%u file%s removed, %u director%s, %u kept, %u not found%s\n", t.removed,
                 t.removed == 1 ? "" : "s", t.directories, t.directories == 1 ? "y" : "ies", t.kept,
                 t.missing, status == StatusOk ? "" : " (incomplete)");
}

// With --json: the document of the run, its counts and each file's result.
void PrintJson(StatusCode status) {
    if (!Json) return;
    const RemovalCounts& t = RemovalTally;
    std::printf("%s\n", nlohmann::ordered_json({{"format", JsonFormat},
                                                {"command", "uninstall"},
                                                {"removed", t.removed},
                                                {"directories", t.directories},
                                                {"kept", t.kept},
                                                {"notFound", t.missing},
                                                {"complete", status == StatusOk},
                                                {"files", Files}})
                            .dump(2)
                            .c_str());
}

} // namespace

void NoteRemoval(RemovalEvent event, const char* subject) {
    ClearProgressLine();
    std::string name = EscapeName(subject);
    if (Json) {
        nlohmann::ordered_json file = {{"name", AnsiToUtf8(subject)}};
        switch (event) {
        case RemovedFile: file["result"] = "removed"; break;
        case RemovedDirectory: file["result"] = "removedDirectory"; break;
        case MissingFile: file["result"] = "notFound"; break;
        default:
            file["result"] = "kept";
            file["reason"] = NameStatusText(KeptReasonText(event), subject);
            break;
        }
        Files.push_back(file);
    }
    switch (event) {
    case RemovedFile: std::fprintf(Report, "removed %s\n", name.c_str()); break;
    case RemovedDirectory: std::fprintf(Report, "removed directory %s\n", name.c_str()); break;
    case MissingFile: std::fprintf(Report, "not found %s\n", name.c_str()); break;
    default:
        std::fprintf(Report, "kept %s\n", NameStatusText(KeptReasonText(event), subject).c_str());
        break;
    }
}

int RunUninstall(const UninstallOptions& options) {
    std::string driveC;
    int code = MapSystemDrive(options.root, options.winePrefix, false, &driveC);
    if (code != ExitOk) return code;
    std::string uninstaller = UninstallerPath(options.path, driveC, &code);
    if (uninstaller.empty()) return code;
    PlatformOverrideProgramPath(uninstaller.c_str());
    StatusCode status = LoadCatalogue();
    if (status != StatusOk) {
        PrintError(NameStatusText(status, ErrorSubject));
        return status == MsgNoMemory ? ExitFailed : ExitBadInput;
    }
    StartBoxAnswers(DiskFolders{}, options.yes ? BoxPolicy::Yes : BoxPolicy::Ask);
    Json = options.json;
    Files = nlohmann::ordered_json::array();
    if (!ConfirmRemoval(nullptr)) {
        StopBoxAnswers();
        std::fprintf(Report, "nothing removed\n");
        PrintJson(StatusCancelled);
        return ReportTransferStop(StatusCancelled);
    }
    status = RemoveInstalledFiles();
    if (status == StatusOk && !InsvPackage)
        PrintProgramManagerCommands(BuildProgramItemRemovalCommands);
    if (status == StatusOk && !InsvPackage && options.root.empty()) RemoveMenu(driveC, uninstaller);
    if (status == StatusOk) status = RemoveUninstaller(uninstaller);
    StopBoxAnswers();
    PrintSummary(status);
    PrintJson(status);
    return ReportTransferStop(status);
}
