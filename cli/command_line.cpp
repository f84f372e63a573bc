// The disksetup command line: the subcommands and their options, as the parser reads them.
#include "cli/command_line.h"

#include "cli/cli.h"

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
void AddFurtherDiskOption(CLI::App* command, std::vector<std::string>* disks) {
    command->add_option("--disk", *disks,
                        "N=PATH: disk N's directory or image, when it is not found beside disk 1");
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

// --root DIR and --wine-prefix P, drive C: of install and uninstall: one or the other. Their
// help lines show no "Excludes:": FailureMessage says it when both are given.
void AddSystemDriveOptions(CLI::App* command, std::string* root, std::string* winePrefix,
                           const std::string& rootHelp) {
    CLI::Option* rootOption = command->add_option("--root", *root, rootHelp);
    CLI::Option* prefixOption = command->add_option(
        "--wine-prefix", *winePrefix,
        "Wine prefix whose drive_c is drive C: (default $WINEPREFIX or ~/.wine)");
    rootOption->excludes(prefixOption);
    rootOption->option_text("TEXT");
    prefixOption->option_text("TEXT");
}

void AddListCommand(CLI::App& app, ListOptions* list) {
    CLI::App* command =
        app.add_subcommand("list", "List a package's catalogue: header and records");
    command->footer("Examples:\n  disksetup list /media/floppy\n  disksetup list --json "
                    "GAME_1.IMG | jq .records");
    command
        ->add_option("PATH", list->path,
                     "A disk directory, a catalogue file (*.bin), or a disk image")
        ->required();
    command->add_flag("--json", list->json, "Print one JSON document");
    AddCodePageOption(command);
}

// pack --dir SRC and the options that describe the package made from it.
void AddPackDirectoryOptions(CLI::App* command, DirectoryPackOptions* dir) {
    command->add_option("--dir", dir->directory, "Pack every file below this directory");
    command->add_option("--program", dir->program,
                        "With --dir: the program file name (volumes are named after it)");
    command->add_option("--title", dir->title, "With --dir: the application's title");
    command->add_flag("--insv", dir->insv, "With --dir: an INSV package");
    command->add_option("--setup", dir->setup,
                        "With --dir: the setup program's name without extension (SETUP)");
    command->add_option("--setup-program", dir->setupProgram,
                        "With --dir: a setup program to copy onto disk 1; builtin: the kit's own");
    command->add_option("--shared", dir->shared, "With --dir: FILE or FILE=1.2.3.4, a shared file");
    command->add_option("--not-installed", dir->notInstalled,
                        "With --dir: FILE is stored but not installed");
    command->add_option(
        "--uninstaller", dir->uninstaller,
        "With --dir: FILE is the uninstaller (uninstal.exe); builtin: the project's own");
}

void AddPackCommand(CLI::App& app, PackOptions* pack) {
    CLI::App* command =
        app.add_subcommand("pack", "Write a package from a manifest, or from a directory");
    command->footer(
        "Examples:\n  disksetup pack game.toml -o out\n  disksetup pack game.toml --image 1440 -o "
        "images\n  disksetup pack --dir src --program SPACE.EXE --title \"Space Game\" -o out");
    command->add_option("MANIFEST", pack->manifest, "A package manifest (TOML)");
    AddPackDirectoryOptions(command, &pack->dir);
    command->add_option("--builtin-uninstaller", pack->builtinUninstaller,
                        "The project's UNINSTAL.EXE, for uninstaller = \"builtin\" (default: "
                        "beside disksetup, in ../share/disksetup/, or the win32 build of its "
                        "build tree)");
    command->add_option("--disk-size", pack->diskSize, "Bytes per disk (1457664)")
        ->check(CLI::PositiveNumber);
    command->add_flag("--best", pack->best, "Compress harder: smaller volumes, slower packing");
    command
        ->add_option(
            "--image", pack->imageKb,
            "Write disk1.img, disk2.img, ...: FAT12 floppy images of SIZE KB (720, 1200, 1440 or "
            "2880), disks as large as the images hold unless the disk size is less")
        ->check(CLI::IsMember({720, 1200, 1440, 2880}));
    command->add_option("-o,--output", pack->output, "Output directory: disk1, disk2, ... below it")
        ->required();
}

void AddTestCommand(CLI::App& app, TestOptions* test) {
    CLI::App* command =
        app.add_subcommand("test", "Expand every file of a package in memory and report damage");
    command->footer("Examples:\n  disksetup test game/disk1 --disk 2=/media/other\n  disksetup "
                    "test --json GAME_1.IMG | jq '.files[] | select(.result != \"ok\")'");
    AddDiskOnePath(command, &test->path);
    command->add_flag("--json", test->json,
                      "Print one JSON document: each file's result, size or problems");
    AddFurtherDiskOption(command, &test->disks);
    AddCodePageOption(command);
}

void AddCompressCommand(CLI::App& app, CodecOptions* compress) {
    CLI::App* command =
        app.add_subcommand("compress", "Compress a file into one stored stream (size + LZHUF)");
    command->footer("Example:\n  disksetup compress README.TXT README.lzh");
    command->add_option("IN", compress->input, "The file to compress")->required();
    command->add_option("OUT", compress->output, "The stored stream to write")->required();
    command->add_flag("--best", compress->best, "Compress harder: a smaller stream, slower");
}

void AddExpandCommand(CLI::App& app, CodecOptions* expand) {
    CLI::App* command =
        app.add_subcommand("expand", "Expand one stored stream (size + LZHUF) into a file");
    command->footer("Example:\n  disksetup expand README.lzh README.TXT");
    command->add_option("IN", expand->input, "The stored stream")->required();
    command
        ->add_option("OUT", expand->output,
                     "The file to write; a damaged stream is still written whole")
        ->required();
}

void AddExtractCommand(CLI::App& app, ExtractOptions* extract) {
    CLI::App* command = app.add_subcommand("extract", "Expand a package's files below a directory");
    command->footer("Examples:\n  disksetup extract game/disk1 -d unpacked\n  disksetup "
                    "extract GAME_1.IMG -d docs -L --include '*.txt' --include 'HELP\\*'");
    AddDiskOnePath(command, &extract->path);
    command
        ->add_option("-d,--output", extract->output,
                     "Output directory; nothing is written outside it")
        ->required();
    command->add_flag("--all", extract->all, "Also the files marked as not installed");
    command
        ->add_option(
            "-I,--include", extract->include,
            "Only the files whose name, or a directory above them, matches PATTERN (Windows "
            "wildcards * and ?, any case, \\ or /); repeatable")
        ->allow_extra_args(false);
    command->add_flag("-L,--lowercase", extract->lowercase, "Write the paths in lower case");
    command->add_flag("--json", extract->json,
                      "Print one JSON document: each file's result, path and size");
    command->add_flag("--skip-existing", extract->skipExisting,
                      "Keep a file that is already there (default: replace it)");
    AddFurtherDiskOption(command, &extract->disks);
    AddCodePageOption(command);
}

void AddInstallCommand(CLI::App& app, InstallOptions* install) {
    CLI::App* command = app.add_subcommand(
        "install", "Install a package as its setup program would, without windows");
    command->footer(
        "Examples:\n  disksetup install game/disk1 --wine-prefix ~/.wine --yes\n  disksetup "
        "install game/disk1 --root c-drive --dest 'C:\\GAMES\\SPACE'");
    AddDiskOnePath(command, &install->path);
    AddSystemDriveOptions(
        command, &install->root, &install->winePrefix,
        "Host directory that is drive C: (created, with C:\\WINDOWS\\SYSTEM in any case)");
    command->add_option("--dest", install->dest,
                        "Destination as a Windows path (default: the Windows directory and "
                        "the program's name, or the Windows directory for INSV packages)");
    command->add_flag(
        "-y,--yes", install->yes,
        "Answer without asking: Ignore files that cannot be replaced, Cancel on read and write "
        "errors, Yes to questions. Without it, questions go to the terminal; with no terminal they "
        "are answered Cancel and the command fails with exit code 3");
    command->add_flag("--no-menu", install->noMenu,
                      "With a Wine prefix: write no entries for the desktop's application menu");
    command->add_flag("--json", install->json,
                      "Print one JSON document: each file's result, target and size");
    AddFurtherDiskOption(command, &install->disks);
    AddCodePageOption(command);
}

void AddUninstallCommand(CLI::App& app, UninstallOptions* uninstall) {
    CLI::App* command = app.add_subcommand(
        "uninstall", "Remove an installed package as its uninstaller would, without windows");
    command->footer(
        "Examples:\n  disksetup uninstall --root c-drive 'C:\\GAMES\\SPACE'\n  disksetup uninstall "
        "--wine-prefix ~/.wine --yes drive_c/windows/ORBIT");
    command
        ->add_option("WINPATH", uninstall->path,
                     "The installed uninstaller (C:\\GAMES\\SPACE\\uninstal.exe, also with '/', or "
                     "as a host path inside drive C:), or its directory when it holds only one")
        ->required();
    AddSystemDriveOptions(command, &uninstall->root, &uninstall->winePrefix,
                          "Host directory that is drive C:");
    command->add_flag("--json", uninstall->json, "Print one JSON document: each file's result");
    command->add_flag(
        "-y,--yes", uninstall->yes,
        "Answer without asking: Yes to the removal, Ignore files that cannot be removed. Without "
        "it, questions go to the terminal; with no terminal they are answered No or Abort and the "
        "command fails with exit code 3");
    AddCodePageOption(command);
}

CLI::App* AddHelpCommand(CLI::App& app, std::string* topic) {
    CLI::App* command =
        app.add_subcommand("help", "Print the help of disksetup, or of one subcommand");
    command->footer("Examples:\n  disksetup help\n  disksetup help extract");
    command->add_option("SUBCOMMAND", *topic, "The subcommand to describe");
    return command;
}

// -q after every subcommand but help.
void AddQuietFlags(CLI::App& app, const CLI::App* helpCommand) {
    for (CLI::App* subcommand : app.get_subcommands([](CLI::App*) { return true; }))
        if (subcommand != helpCommand)
            subcommand->add_flag("-q,--quiet", Quiet,
                                 "Print errors only: no progress bar, and nothing on standard "
                                 "output but list's listing, test's damaged files and a --json "
                                 "document");
}

} // namespace

void DeclareCommandLine(CLI::App& app, CommandLineOptions* options) {
    app.footer(ExitCodesHelp);
    app.set_version_flag("-V,--version", "disksetup " DISKSETUP_VERSION);
    app.set_help_all_flag("--help-all", "Print the help of every subcommand");
    app.require_subcommand(1);
    app.failure_message(&FailureMessage);
    AddListCommand(app, &options->list);
    AddPackCommand(app, &options->pack);
    AddTestCommand(app, &options->test);
    AddCompressCommand(app, &options->compress);
    AddExpandCommand(app, &options->expand);
    AddExtractCommand(app, &options->extract);
    AddInstallCommand(app, &options->install);
    AddUninstallCommand(app, &options->uninstall);
    AddQuietFlags(app, AddHelpCommand(app, &options->helpTopic));
}

std::string FailureMessage(const CLI::App*, const CLI::Error& error) {
    std::string what = error.what();
    const std::string excludes = " excludes ";
    size_t at = what.find(excludes);
    if (error.get_name() == "ExcludesError" && at != std::string::npos)
        return "disksetup: " + what.substr(0, at) + " and " + what.substr(at + excludes.size()) +
               " exclude each other\n";
    return "disksetup: " + what + "\nRun with --help for more information.\n";
}
