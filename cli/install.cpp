// disksetup install: the setup program's installation without its windows. Drive C: is a host
// directory or a Wine prefix's drive_c; disk prompts map drive A: to the next disk's folder;
// the program-manager commands are printed instead of sent.
#include "cli/box_answers.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/menu_entries.h"
#include "cli/program_manager_commands.h"
#include "cli/system_drive.h"

#include "base/paths.h"
#include "graphics/graphics_flags.h"
#include "install/destination.h"
#include "install/program_group.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

nlohmann::ordered_json Files; // with --json: each record's result
TransferCounts Before;        // the tally before the record being handled
unsigned IgnoredBefore;       // files skipped with Ignore before it

// With --json: the result of the record just handled, told by the tally's counts.
void NoteInstalled(const uint8_t* record) {
    const TransferCounts& t = TransferTally;
    unsigned ignored = BoxAnswers().ignored;
    const char* result = t.failed != Before.failed                 ? "failed"
                         : t.sharedSkipped != Before.sharedSkipped ? "skipped"
                         : t.unplaced != Before.unplaced           ? "unplaced"
                         : ignored != IgnoredBefore                ? "ignored"
                                                                   : "placed";
    nlohmann::ordered_json file = {{"name", AnsiToUtf8(RecordName(record))},
                                   {"flagNames", FlagNames(record)},
                                   {"result", result}};
    if (std::strcmp(result, "placed") == 0) {
        file["target"] = AnsiToUtf8(TargetPath);
        file["size"] = t.placedBytes - Before.placedBytes;
    }
    Files.push_back(file);
    Before = t;
    IgnoredBefore = ignored;
}

// InstallDir from --dest, or as the destination dialog proposes it: the Windows directory and
// the program's name without extension, or the Windows directory itself for INSV packages.
// Returns the exit code: a --dest that is no full path (or that the code page cannot spell) is a
// usage fault, a program name too long for the proposal bad input, a directory that cannot be
// made a failure.
int ChooseDestination(const std::string& given) {
    std::string dest;
    if (!CommandLineToAnsi(given, &dest)) return ExitUsage;
    char text[PathSize] = {};
    if (!dest.empty()) {
        CopyText(text, PathSize, dest.c_str());
        UseBackslashes(text);
    } else if (ProposeInstallDir()) {
        CopyText(text, PathSize, InstallDir);
    } else {
        char windows[PathSize] = {};
        PlatformWindowsDirectory(windows, PathSize);
        PrintError("the program name " + EscapeName(Header.ProgramName) + " (" +
                   std::to_string(std::strlen(Header.ProgramName)) +
                   " characters) does not fit a destination in " + EscapeName(windows) +
                   ": a destination holds at most " + std::to_string(PathSize - 2) +
                   " characters before its backslash; give --dest");
        return ExitBadInput;
    }
    bool fits = dest.size() < PathSize - 1 && AppendBackslash(text, PathSize);
    if (!fits || text[1] != ':' || text[2] != '\\' || PosixHostPath(text).empty()) {
        PrintError("the destination " + EscapeName(dest.c_str()) +
                   " is not a full Windows path on drive C: (such as C:\\GAMES\\SPACE) of at most "
                   "258 characters");
        return ExitUsage;
    }
    CopyText(InstallDir, PathSize, text);
    if (CreateInstallDirChain() != 0) {
        PrintError(NameStatusText(MsgCannotCreate, InstallDir));
        return ExitFailed;
    }
    return ExitOk;
}

// Whether the destination's disk has RequiredKb free, as the destination dialog demands.
bool EnoughSpace() {
    uint32_t freeKb = FreeSpaceKb(InstallDir);
    if (freeKb == FreeSpaceUnknown || freeKb >= RequiredKb) return true;
    PrintError("not enough space for " + EscapeName(InstallDir) + ": " +
               std::to_string(RequiredKb) + " KB required, " + std::to_string(freeKb) + " KB free");
    return false;
}

void PrintSummary(StatusCode status) {
    const TransferCounts& t = TransferTally;
    unsigned ignored = BoxAnswers().ignored;
    uint32_t handled = t.done - t.sharedSkipped - t.unplaced - t.failed;
    uint32_t placed = handled > ignored ? handled - ignored : 0;
    std::fprintf(
        Report,
        "%u of %u file%s placed in %s, %u skipped as older than the installed copy, %u ignored, "
        "%llu bytes%s\n",
        placed, t.toTransfer, t.toTransfer == 1 ? "" : "s", EscapeName(InstallDir).c_str(),
        t.sharedSkipped, ignored, static_cast<unsigned long long>(t.placedBytes),
        status == StatusOk ? "" : " (incomplete)");
    if (t.uninstallerPlaced)
        std::fprintf(Report, "uninstaller: %s\n", EscapeName(UninstallerName).c_str());
}

int Finish(StatusCode status) {
    int code = ReportTransferStop(status);
    if (status == MsgNoMemory || status == MsgWindowProblem) PrintError(StatusText(status, ""));
    if (status == MsgReadError) PrintError(NameStatusText(status, ErrorSubject));
    return code;
}

// The host path of the settings file in the Windows directory, for messages.
std::string SettingsHostPath() {
    char path[PathSize] = {};
    PlatformWindowsDirectory(path, PathSize);
    AppendBackslash(path, PathSize);
    AppendText(path, PathSize, GraphicsFile);
    return PosixHostPath(path);
}

// For an installation into a Wine prefix: the program items as entries of the desktop's
// application menu, where Wine's own menu integration keeps them. False when one of them could
// not be written (each such file has been named).
bool WriteMenu(const std::string& prefix) {
    std::string dataHome = DataHome();
    if (dataHome.empty()) {
        PrintError("no menu entries: neither XDG_DATA_HOME nor HOME is set");
        return true;
    }
    bool failed = false;
    std::vector<fs::path> written =
        WriteMenuEntries(MenuGroupOf(InstallDir, UninstallerName), dataHome, prefix, &failed);
    for (const fs::path& entry : written)
        std::fprintf(Report, "menu entry: %s\n", EscapeHostName(entry.string()).c_str());
    return !failed;
}

// The transfer and what follows it: the settings value on a first installation, the program
// group and, for a Wine prefix (menuPrefix not ""), the desktop's menu entries.
StatusCode Install(const std::string& menuPrefix, bool json) {
    Files = nlohmann::ordered_json::array();
    Before = TransferCounts{};
    IgnoredBefore = BoxAnswers().ignored;
    RecordHandled = json ? &NoteInstalled : nullptr;
    StatusCode status = PrepareVolumeReader();
    if (status == StatusOk) status = RunTransfer();
    RecordHandled = nullptr;
    ReleaseVolumeReader();
    PrintSummary(status);
    if (status != StatusOk) return status;
    // As the setup program, the installation goes on without the setting; the command fails.
    if (!GraphicsFlagsStored) {
        if (StoreGraphicsFlags()) {
            std::fprintf(Report, "graphics flags: grmf=%d written to [setup] of zom.ini\n",
                         static_cast<int>(GraphicsFlags));
        } else {
            PrintError(StatusText(MsgWriteError, SettingsHostPath()) + " (grmf=" +
                       std::to_string(GraphicsFlags) + " not stored; the file is as it was)");
            status = MsgWriteError;
        }
    }
    if (!InsvPackage) PrintProgramManagerCommands(BuildProgramGroupCommands);
    if (!InsvPackage && !menuPrefix.empty() && !WriteMenu(menuPrefix)) status = MsgWriteError;
    return status;
}

} // namespace

int RunInstall(const InstallOptions& options) {
    DiskFolders folders;
    int code = OpenPackageDisks(options.path, options.disks, &folders);
    if (code != ExitOk) return code;
    std::string driveC;
    code = MapSystemDrive(options.root, options.winePrefix, true, &driveC);
    if (code != ExitOk) return code;
    ReadGraphicsFlags();
    ResetUninstallerName();
    code = ChooseDestination(options.dest);
    if (code != ExitOk) return code;
    if (!EnoughSpace()) return ExitFailed;
    StartBoxAnswers(folders, options.yes ? BoxPolicy::Yes : BoxPolicy::Ask);
    // The menu entries start the program through Wine, so only a Wine prefix gets them.
    std::string menuPrefix;
    if (options.root.empty() && !options.noMenu)
        menuPrefix = fs::path(driveC).parent_path().string();
    StatusCode status = Install(menuPrefix, options.json);
    StopBoxAnswers();
    if (options.json) {
        const TransferCounts& t = TransferTally;
        std::printf("%s\n",
                    nlohmann::ordered_json(
                        {{"format", JsonFormat},
                         {"command", "install"},
                         {"destination", AnsiToUtf8(InstallDir)},
                         {"toTransfer", t.toTransfer},
                         {"bytes", t.placedBytes},
                         {"uninstaller", t.uninstallerPlaced
                                             ? nlohmann::ordered_json(AnsiToUtf8(UninstallerName))
                                             : nlohmann::ordered_json(nullptr)},
                         {"complete", status == StatusOk},
                         {"files", Files}})
                        .dump(2)
                        .c_str());
    }
    return Finish(status);
}
