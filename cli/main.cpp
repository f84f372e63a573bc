// disksetup: list, test, extract and install setup packages without Windows, and pack them.
#include "cli/cli.h"
#include "cli/commands.h"

#include <CLI/CLI.hpp>

namespace {

const char* ExitCodesHelp = R"(Exit codes:
  0  success
  1  usage: the command line is wrong
  2  bad input: a package, stream or file is missing, damaged or unusable
  3  failure: cancelled, or reading or writing failed)";

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"disksetup: work with setup packages (catalogue + volumes on disks)"};
    app.footer(ExitCodesHelp);
    app.require_subcommand(1);

    ListOptions list;
    CLI::App* listCommand = app.add_subcommand("list", "List a package's catalogue: header and records");
    listCommand->add_option("PATH", list.path, "A disk directory, or a catalogue file (*.bin)")->required();
    listCommand->add_flag("--json", list.json, "Print one JSON document");

    PackOptions pack;
    CLI::App* packCommand = app.add_subcommand("pack", "Write a package from a manifest, or from a directory");
    packCommand->add_option("MANIFEST", pack.manifest, "A package manifest (TOML)");
    packCommand->add_option("--dir", pack.dir.directory, "Pack every file below this directory");
    packCommand->add_option("--program", pack.dir.program, "With --dir: the program file name (volumes are named after it)");
    packCommand->add_option("--title", pack.dir.title, "With --dir: the application's title");
    packCommand->add_flag("--insv", pack.dir.insv, "With --dir: an INSV package");
    packCommand->add_option("--setup", pack.dir.setup, "With --dir: the setup program's name without extension (SETUP)");
    packCommand->add_option("--setup-program", pack.dir.setupProgram, "With --dir: a setup program to copy onto disk 1");
    packCommand->add_option("--shared", pack.dir.shared, "With --dir: FILE or FILE=1.2.3.4, a shared file");
    packCommand->add_option("--not-installed", pack.dir.notInstalled, "With --dir: FILE is stored but not installed");
    packCommand->add_option("--uninstaller", pack.dir.uninstaller, "With --dir: FILE is the uninstaller (uninstal.exe); builtin: the project's own");
    packCommand->add_option("--builtin-uninstaller", pack.builtinUninstaller, "The project's UNINSTAL.EXE, for uninstaller = \"builtin\" (default: UNINSTAL.EXE beside disksetup, or the win32 build of its build tree)");
    packCommand->add_option("--disk-size", pack.diskSize, "Bytes per disk (1457664)")->check(CLI::PositiveNumber);
    packCommand->add_flag("--best", pack.best, "Compress harder: smaller volumes, slower packing");
    packCommand->add_option("-o,--output", pack.output, "Output directory: disk1, disk2, ... below it")->required();

    TestOptions test;
    CLI::App* testCommand = app.add_subcommand("test", "Expand every file of a package in memory and report damage");
    testCommand->add_option("PATH", test.path, "Disk 1's directory, or its catalogue file (*.bin)")->required();
    testCommand->add_option("--disk", test.disks, "N=DIR: disk N's directory, when it is not a sibling diskN of disk 1");

    CodecOptions compress;
    CLI::App* compressCommand = app.add_subcommand("compress", "Compress a file into one stored stream (size + LZHUF)");
    compressCommand->add_option("IN", compress.input, "The file to compress")->required();
    compressCommand->add_option("OUT", compress.output, "The stored stream to write")->required();
    compressCommand->add_flag("--best", compress.best, "Compress harder: a smaller stream, slower");

    CodecOptions expand;
    CLI::App* expandCommand = app.add_subcommand("expand", "Expand one stored stream (size + LZHUF) into a file");
    expandCommand->add_option("IN", expand.input, "The stored stream")->required();
    expandCommand->add_option("OUT", expand.output, "The file to write; a damaged stream is still written whole")->required();

    ExtractOptions extract;
    CLI::App* extractCommand = app.add_subcommand("extract", "Expand a package's files below a directory");
    extractCommand->add_option("PATH", extract.path, "Disk 1's directory, or its catalogue file (*.bin)")->required();
    extractCommand->add_option("-d,--output", extract.output, "Output directory; nothing is written outside it")->required();
    extractCommand->add_flag("--all", extract.all, "Also the files marked as not installed");
    extractCommand->add_option("--disk", extract.disks, "N=DIR: disk N's directory, when it is not a sibling diskN of disk 1");

    InstallOptions install;
    CLI::App* installCommand = app.add_subcommand("install", "Install a package as its setup program would, without windows");
    installCommand->add_option("PATH", install.path, "Disk 1's directory, or its catalogue file (*.bin)")->required();
    installCommand->add_option("--root", install.root, "Host directory that is drive C: (created, with C:\\WINDOWS\\SYSTEM)");
    installCommand->add_option("--wine-prefix", install.winePrefix, "Wine prefix whose drive_c is drive C: (default $WINEPREFIX or ~/.wine)");
    installCommand->add_option("--dest", install.dest, "Destination as a Windows path (default: the Windows directory and the program's name, or the Windows directory for INSV packages)");
    installCommand->add_flag("-y,--yes", install.yes, "Answer without asking: Ignore files that cannot be replaced, Cancel on read and write errors, Yes to questions. Without it, questions go to the terminal; with no terminal they are answered Cancel and the command fails with exit code 3");
    installCommand->add_option("--disk", install.disks, "N=DIR: disk N's directory, when it is not a sibling diskN of disk 1");

    UninstallOptions uninstall;
    CLI::App* uninstallCommand = app.add_subcommand("uninstall", "Remove an installed package as its uninstaller would, without windows");
    uninstallCommand->add_option("WINPATH", uninstall.path, "The installed uninstaller (C:\\GAMES\\SPACE\\uninstal.exe), or its directory when it holds only one")->required();
    uninstallCommand->add_option("--root", uninstall.root, "Host directory that is drive C:");
    uninstallCommand->add_option("--wine-prefix", uninstall.winePrefix, "Wine prefix whose drive_c is drive C: (default $WINEPREFIX or ~/.wine)");
    uninstallCommand->add_flag("-y,--yes", uninstall.yes, "Answer without asking: Yes to the removal, Ignore files that cannot be removed. Without it, questions go to the terminal; with no terminal they are answered No or Abort and the command fails with exit code 3");

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
