// disksetup: list, test, extract and install setup packages without Windows, and pack them.
#include "cli/cli.h"
#include "cli/commands.h"

#include "platform/posix/posix_platform.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

// The number of single-letter edits (insert, delete, replace, swap two neighbours) that turn a
// into b.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// The subcommand named name, or nullptr after saying so with the nearest name, if one is near.
const CLI::App* SubcommandNamed(const CLI::App& app, const std::string& name) {
    std::vector<const CLI::App*> subcommands =
        app.get_subcommands([](const CLI::App*) { return true; });
    std::string nearest, all;
    size_t best = 3; // farther names are no suggestion
    for (const CLI::App* subcommand : subcommands) {
        const std::string& candidate = subcommand->get_name();
        if (candidate == name) return subcommand;
        size_t distance = EditDistance(name, candidate);
        if (distance < best) best = distance, nearest = candidate;
        all += (all.empty() ? "" : ", ") + candidate;
    }
    std::fprintf(stderr, "disksetup: unknown subcommand '%s'; %s\n", EscapeHostName(name).c_str(),
                 nearest.empty() ? ("the subcommands are " + all).c_str()
                                 : ("did you mean '" + nearest + "'?").c_str());
    std::fprintf(stderr, "Run 'disksetup help' for more information.\n");
    return nullptr;
}

// Parser errors as every error of the command: "disksetup: " first.
std::string FailureMessage(const CLI::App*, const CLI::Error& e) {
    return std::string("disksetup: ") + e.what() + "\nRun with --help for more information.\n";
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
    app.failure_message(&FailureMessage);

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
    packCommand->add_option(
        "--setup-program", pack.dir.setupProgram,
        "With --dir: a setup program to copy onto disk 1; builtin: the kit's own");
    packCommand->add_option("--shared", pack.dir.shared,
                            "With --dir: FILE or FILE=1.2.3.4, a shared file");
    packCommand->add_option("--not-installed", pack.dir.notInstalled,
                            "With --dir: FILE is stored but not installed");
    packCommand->add_option(
        "--uninstaller", pack.dir.uninstaller,
        "With --dir: FILE is the uninstaller (uninstal.exe); builtin: the project's own");
    packCommand->add_option("--builtin-uninstaller", pack.builtinUninstaller,
                            "The project's UNINSTAL.EXE, for uninstaller = \"builtin\" (default: "
                            "beside disksetup, in ../share/disksetup/, or the win32 build of its "
                            "build tree)");
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
                        "test --json GAME_1.IMG | jq '.files[] | select(.result != \"ok\")'");
    AddDiskOnePath(testCommand, &test.path);
    testCommand->add_flag("--json", test.json,
                          "Print one JSON document: each file's result, size or problems");
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
    extractCommand->footer("Examples:\n  disksetup extract game/disk1 -d unpacked\n  disksetup "
                           "extract GAME_1.IMG -d docs -L --include '*.txt' --include 'HELP\\*'");
    AddDiskOnePath(extractCommand, &extract.path);
    extractCommand
        ->add_option("-d,--output", extract.output,
                     "Output directory; nothing is written outside it")
        ->required();
    extractCommand->add_flag("--all", extract.all, "Also the files marked as not installed");
    extractCommand
        ->add_option(
            "-I,--include", extract.include,
            "Only the files whose name, or a directory above them, matches PATTERN (Windows "
            "wildcards * and ?, any case, \\ or /); repeatable")
        ->allow_extra_args(false);
    extractCommand->add_flag("-L,--lowercase", extract.lowercase, "Write the paths in lower case");
    extractCommand->add_flag("--json", extract.json,
                             "Print one JSON document: each file's result, path and size");
    extractCommand->add_flag("--skip-existing", extract.skipExisting,
                             "Keep a file that is already there (default: replace it)");
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
    installCommand->add_flag("--json", install.json,
                             "Print one JSON document: each file's result, target and size");
    AddDiskOption(installCommand, &install.disks);
    AddCodePageOption(installCommand);

    UninstallOptions uninstall;
    CLI::App* uninstallCommand = app.add_subcommand(
        "uninstall", "Remove an installed package as its uninstaller would, without windows");
    uninstallCommand->footer(
        "Examples:\n  disksetup uninstall --root c-drive 'C:\\GAMES\\SPACE'\n  disksetup uninstall "
        "--wine-prefix ~/.wine --yes drive_c/windows/ORBIT");
    uninstallCommand
        ->add_option("WINPATH", uninstall.path,
                     "The installed uninstaller (C:\\GAMES\\SPACE\\uninstal.exe, also with '/', or "
                     "as a host path inside drive C:), or its directory when it holds only one")
        ->required();
    uninstallCommand->add_option("--root", uninstall.root, "Host directory that is drive C:");
    uninstallCommand->add_option(
        "--wine-prefix", uninstall.winePrefix,
        "Wine prefix whose drive_c is drive C: (default $WINEPREFIX or ~/.wine)");
    uninstallCommand->add_flag("--json", uninstall.json,
                               "Print one JSON document: each file's result");
    uninstallCommand->add_flag(
        "-y,--yes", uninstall.yes,
        "Answer without asking: Yes to the removal, Ignore files that cannot be removed. Without "
        "it, questions go to the terminal; with no terminal they are answered No or Abort and the "
        "command fails with exit code 3");
    AddCodePageOption(uninstallCommand);

    std::string helpTopic;
    CLI::App* helpCommand =
        app.add_subcommand("help", "Print the help of disksetup, or of one subcommand");
    helpCommand->footer("Examples:\n  disksetup help\n  disksetup help extract");
    helpCommand->add_option("SUBCOMMAND", helpTopic, "The subcommand to describe");

    for (CLI::App* subcommand : app.get_subcommands([](CLI::App*) { return true; }))
        if (subcommand != helpCommand)
            subcommand->add_flag("-q,--quiet", Quiet,
                                 "Print errors only: no progress bar, and nothing on standard "
                                 "output but list's listing, test's damaged files and a --json "
                                 "document");

    // The first word that is not an option names the subcommand: a misspelt one is named with
    // the nearest, before the parser would call it an extra argument.
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        if (SubcommandNamed(app, argv[i]) == nullptr) return ExitUsage;
        break;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? ExitOk : ExitUsage;
    }
    if (helpCommand->parsed()) {
        // The formatter, not help(): the command's help() would describe the subcommand "help".
        const CLI::App* topic = &app;
        if (!helpTopic.empty() && (topic = SubcommandNamed(app, helpTopic)) == nullptr)
            return ExitUsage;
        std::string usageName = topic == &app ? "disksetup" : "disksetup " + topic->get_name();
        std::fputs(
            app.get_formatter()->make_help(topic, usageName, CLI::AppFormatMode::Normal).c_str(),
            stdout);
        return ExitOk;
    }
    // What the other subcommands print on standard output is a report of their work; with
    // --json it goes to standard error, and the document alone to standard output.
    bool json = (extractCommand->parsed() && extract.json) ||
                (installCommand->parsed() && install.json) ||
                (uninstallCommand->parsed() && uninstall.json);
    if (json) Report = Quiet ? std::fopen("/dev/null", "w") : stderr;
    if (Report == nullptr) return ExitFailed;
    if (Quiet && !json && !listCommand->parsed() && !testCommand->parsed() &&
        std::freopen("/dev/null", "w", stdout) == nullptr)
        return ExitFailed;
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
