// Drive C: of disksetup install and uninstall.
#include "cli/system_drive.h"

#include "cli/cli.h"
#include "install/target_file.h"
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The host directory of drive C:, from root (created when missing and create holds) or a Wine
// prefix. "" after printing why there is none.
std::string SystemDrive(const std::string& root, const std::string& winePrefix, bool create) {
    std::error_code error;
    if (!root.empty()) {
        if (create) {
            fs::create_directories(root, error);
            if (error) PrintError("cannot create " + EscapeHostName(root) + ": " + error.message());
        } else if (!fs::is_directory(root, error)) {
            PrintError("no directory " + EscapeHostName(root) + " to be drive C:");
            return "";
        }
        return error ? "" : fs::absolute(root).string();
    }
    std::string prefix = winePrefix;
    if (prefix.empty() && std::getenv("WINEPREFIX")) prefix = std::getenv("WINEPREFIX");
    if (prefix.empty() && std::getenv("HOME")) prefix = std::string(std::getenv("HOME")) + "/.wine";
    fs::path driveC = fs::path(prefix) / "drive_c";
    if (prefix.empty() || !fs::is_directory(driveC / "windows", error)) {
        PrintError("no Wine prefix at " + EscapeHostName(prefix) + " (" + EscapeHostName(driveC) +
                   "/windows is missing); give --wine-prefix P or --root DIR");
        return "";
    }
    return fs::absolute(driveC).string();
}

// The system directory where shared files go: where Wine keeps a 32-bit program's system
// files in a prefix (syswow64 in a 64-bit prefix, system32 in a 32-bit one), else the
// Windows 3.x and 9x place.
void ChooseSystemDirectory(const std::string& driveC) {
    std::error_code error;
    if (fs::is_directory(fs::path(driveC) / "windows" / "syswow64", error)) {
        PosixSetSystemDirectory("C:\\windows\\syswow64");
    } else if (fs::is_directory(fs::path(driveC) / "windows" / "system32", error)) {
        PosixSetSystemDirectory("C:\\windows\\system32");
    } else {
        PosixSetSystemDirectory("C:\\WINDOWS\\SYSTEM");
    }
}

// Makes the Windows and system directories of a --root drive C: where they are missing; an
// existing one is used in whatever letter case it has. False after printing why not.
bool MakeWindowsDirectories() {
    const char system[] = "C:\\WINDOWS\\SYSTEM\\";
    CreateMissingDirectories(system, WalkFromRoot);
    if (PlatformEnterDirectory(system)) return true;
    PrintError(StatusText(MsgCannotCreate, system));
    return false;
}

} // namespace

int MapSystemDrive(const std::string& root, const std::string& winePrefix, bool create,
                   std::string* found) {
    std::string driveC = SystemDrive(root, winePrefix, create);
    bool made = !root.empty() && create; // a root that cannot be made is a failure to write
    if (driveC.empty()) return made ? ExitFailed : ExitBadInput;
    PosixMapDrive('C', driveC);
    if (made && !MakeWindowsDirectories()) return ExitFailed;
    PosixSetWindowsDirectory(fs::is_directory(fs::path(driveC) / "windows") ? "C:\\windows"
                                                                            : "C:\\WINDOWS");
    ChooseSystemDirectory(driveC);
    *found = driveC;
    return ExitOk;
}
