// disksetup: list, test, extract and install setup packages without Windows, and pack them.
#include "cli/cli.h"
#include "cli/commands.h"

#include "platform/posix/posix_platform.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char* ExitCodesHelp = R"(Exit codes:
  0  success
  1  usage: the command line is wrong
  2  bad input: a package, Volume, stream or image is missing, damaged or unusable
  3  failure: cancelled, or reading or writing on the host failed)";

// PATH, the package's first disk, of the commands that read a package.
void AddDiskOnePath(CLI::App* command, std::string* path) {
    command
        ->add_option("PATH", *path,
                     "Disk 1's directory, its catalogue file (*.bin), or disk 1's image")
        ->required();
}

// --disk N=PATH, where a further disk lies, of the commands that read a package.
void AddDiskOption(CLI::App* command, std::vector<std::string>* disks) {
    command->add_option("--disk", *disks,
                        "N=PATH: disk N's directory or image, when it is not found beside disk 1");
}

// A symbolic link that a file's creation, write or deletion refused to follow out of the
// root, OUT or drive_c is named; it failed the command (exit code 3) unless something else
// already did.
int ReportRefusedLinks(int code) {
    std::vector<std::string> links = PosixTakeRefusedLinks();
    for (const std::string& link : links)
        PrintError(EscapeHostName(link));
    return links.empty() || code != ExitOk ? code : ExitFailed;
}

// --codepage N, the code page a package's names and texts are in, for packages made on systems
// with another ANSI or OEM code page than 1252.
void AddCodePageOption(CLI::App* command) {
    command->add_option_function<int>(
        "--codepage",
        [](const int& codePage) {
            if (!SetAnsiCodePage(codePage))
                throw CLI::ValidationError("--codepage", "no single-byte code page " +
                                                             std::to_string(codePage) + " here");
        },
        "N: the package's names and texts are in code page N (437, 850, 1250, 1251, 1252, ...; "
        "1252 when not given)");
}

// What the command printed must have reached standard output: a full disk or a broken device
// there is a failed write like any other, exit code 3.
int CheckStandardOutput(int code) {
    errno = 0;
    bool ok = std::fflush(stdout) == 0 && !std::ferror(stdout);
    int error = errno;
    if (std::fclose(stdout) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok) return code;
    PrintError(std::string("writing standard output: ") + std::strerror(error ? error : EIO));
    return ExitFailed;
}

int Run(int argc, char** argv) {
    // Named here, so that usage and help say "disksetup" however the program was started.
    CLI::App app{"disksetup: work with setup packages (catalogue + volumes on disks)", "disksetup"};
    app.footer(ExitCodesHelp);
    app.set_version_flag("-V,--version", "disksetup " DISKSETUP_VERSION);
    app.set_help_all_flag("--help-all", "Print the help of every subcommand");
    app.require_subcommand(1);

    ListOptions list;
    CLI::App* listCommand =
        app.add_subcommand("list", "List a package's catalogue: header and records");
    listCommand->footer("Examples:\n  disksetup list /media/floppy\n  disksetup list --json "
                        "GAME_1.IMG | jq .records");
    listCommand
        ->add_option("PATH", list.path,
                     "A disk directory, a catalogue file (*.bin), or a disk image")
        ->required();
    listCommand->add_flag("--json", list.json, "Print one JSON document");
    AddCodePageOption(listCommand);

    PackOptions pack;
    CLI::App* packCommand =
        app.add_subcommand("pack", "Write a package from a manifest, or from a directory");
    packCommand->footer(
        "Examples:\n  disksetup pack game.toml -o out\n  disksetup pack game.toml --image 1440 -o "
        "images\n  disksetup pack --dir src --program SPACE.EXE --title \"Space Game\" -o out");
    packCommand->add_option("MANIFEST", pack.manifest, "A package manifest (TOML)");
    packCommand->add_option("--dir", pack.dir.directory, "Pack every file below this directory");
    packCommand->add_option("--program", pack.dir.program,
                            "With --dir: the program file name (volumes are named after it)");
    packCommand->add_option("--title", pack.dir.title, "With --dir: the application's title");
    packCommand->add_flag("--insv", pack.dir.insv, "With --dir: an INSV package");
    packCommand->add_option("--setup", pack.dir.setup,
                            "With --dir: the setup program's name without extension (SETUP)");
    packCommand->add_option("--setup-program", pack.dir.setupProgram,
                            "With --dir: a setup program to copy onto disk 1");
    packCommand->add_option("--shared", pack.dir.shared,
                            "With --dir: FILE or FILE=1.2.3.4, a shared file");
    packCommand->add_option("--not-installed", pack.dir.notInstalled,
                            "With --dir: FILE is stored but not installed");
    packCommand->add_option(
        "--uninstaller", pack.dir.uninstaller,
        "With --dir: FILE is the uninstaller (uninstal.exe); builtin: the project's own");
    packCommand->add_option("--builtin-uninstaller", pack.builtinUninstaller,
                            "The project's UNINSTAL.EXE, for uninstaller = \"builtin\" (default: "
                            "UNINSTAL.EXE beside disksetup, or the win32 build of its build tree)");
    packCommand->add_option("--disk-size", pack.diskSize, "Bytes per disk (1457664)")
        ->check(CLI::PositiveNumber);
    packCommand->add_flag("--best", pack.best, "Compress harder: smaller volumes, slower packing");
    packCommand
        ->add_option(
            "--image", pack.imageKb,
            "Write disk1.img, disk2.img, ...: FAT12 floppy images of SIZE KB (720, 1200, 1440 or "
            "2880), disks as large as the images hold unless the disk size is less")
        ->check(CLI::IsMember({720, 1200, 1440, 2880}));
    packCommand
        ->add_option("-o,--output", pack.output, "Output directory: disk1, disk2, ... below it")
        ->required();

    TestOptions test;
    CLI::App* testCommand =
        app.add_subcommand("test", "Expand every file of a package in memory and report damage");
    testCommand->footer("Examples:\n  disksetup test game/disk1 --disk 2=/media/other\n  disksetup "
                        "test GAME_1.IMG");
    AddDiskOnePath(testCommand, &test.path);
    AddDiskOption(testCommand, &test.disks);
    AddCodePageOption(testCommand);

    CodecOptions compress;
    CLI::App* compressCommand =
        app.add_subcommand("compress", "Compress a file into one stored stream (size + LZHUF)");
    compressCommand->footer("Example:\n  disksetup compress README.TXT README.lzh");
    compressCommand->add_option("IN", compress.input, "The file to compress")->required();
    compressCommand->add_option("OUT", compress.output, "The stored stream to write")->required();
    compressCommand->add_flag("--best", compress.best, "Compress harder: a smaller stream, slower");

    CodecOptions expand;
    CLI::App* expandCommand =
        app.add_subcommand("expand", "Expand one stored stream (size + LZHUF) into a file");
    expandCommand->footer("Example:\n  disksetup expand README.lzh README.TXT");
    expandCommand->add_option("IN", expand.input, "The stored stream")->required();
    expandCommand
        ->add_option("OUT", expand.output,
                     "The file to write; a damaged stream is still written whole")
        ->required();

    ExtractOptions extract;
    CLI::App* extractCommand =
        app.add_subcommand("extract", "Expand a package's files below a directory");
    extractCommand->footer("Example:\n  disksetup extract game/disk1 -d unpacked");
    AddDiskOnePath(extractCommand, &extract.path);
    extractCommand
        ->add_option("-d,--output", extract.output,
                     "Output directory; nothing is written outside it")
        ->required();
    extractCommand->add_flag("--all", extract.all, "Also the files marked as not installed");
    AddDiskOption(extractCommand, &extract.disks);
    AddCodePageOption(extractCommand);

    InstallOptions install;
    CLI::App* installCommand = app.add_subcommand(
        "install", "Install a package as its setup program would, without windows");
    installCommand->footer(
        "Examples:\n  disksetup install game/disk1 --wine-prefix ~/.wine --yes\n  disksetup "
        "install game/disk1 --root c-drive --dest 'C:\\GAMES\\SPACE'");
    AddDiskOnePath(installCommand, &install.path);
    installCommand->add_option(
        "--root", install.root,
        "Host directory that is drive C: (created, with C:\\WINDOWS\\SYSTEM in any case)");
    installCommand->add_option(
        "--wine-prefix", install.winePrefix,
        "Wine prefix whose drive_c is drive C: (default $WINEPREFIX or ~/.wine)");
    installCommand->add_option("--dest", install.dest,
                               "Destination as a Windows path (default: the Windows directory and "
                               "the program's name, or the Windows directory for INSV packages)");
    installCommand->add_flag(
        "-y,--yes", install.yes,
        "Answer without asking: Ignore files that cannot be replaced, Cancel on read and write "
        "errors, Yes to questions. Without it, questions go to the terminal; with no terminal they "
        "are answered Cancel and the command fails with exit code 3");
    installCommand->add_flag(
        "--no-menu", install.noMenu,
        "With a Wine prefix: write no entries for the desktop's application menu");
    AddDiskOption(installCommand, &install.disks);
    AddCodePageOption(installCommand);

    UninstallOptions uninstall;
    CLI::App* uninstallCommand = app.add_subcommand(
        "uninstall", "Remove an installed package as its uninstaller would, without windows");
    uninstallCommand
        ->add_option("WINPATH", uninstall.path,
                     "The installed uninstaller (C:\\GAMES\\SPACE\\uninstal.exe), or its directory "
                     "when it holds only one")
        ->required();
    uninstallCommand->add_option("--root", uninstall.root, "Host directory that is drive C:");
    uninstallCommand->add_option(
        "--wine-prefix", uninstall.winePrefix,
        "Wine prefix whose drive_c is drive C: (default $WINEPREFIX or ~/.wine)");
    uninstallCommand->add_flag(
        "-y,--yes", uninstall.yes,
        "Answer without asking: Yes to the removal, Ignore files that cannot be removed. Without "
        "it, questions go to the terminal; with no terminal they are answered No or Abort and the "
        "command fails with exit code 3");
    AddCodePageOption(uninstallCommand);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? ExitOk : ExitUsage;
    }
    if (listCommand->parsed()) return RunList(list);
    if (packCommand->parsed()) return RunPack(pack);
    if (testCommand->parsed()) return RunTest(test);
    if (extractCommand->parsed()) return RunExtract(extract);
    if (installCommand->parsed()) return RunInstall(install);
    if (uninstallCommand->parsed()) return RunUninstall(uninstall);
    if (compressCommand->parsed()) return RunCompress(compress);
    if (expandCommand->parsed()) return RunExpand(expand);
    return ExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    return CheckStandardOutput(ReportRefusedLinks(Run(argc, argv)));
}
