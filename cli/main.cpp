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

    CodecOptions compress;
    CLI::App* compressCommand = app.add_subcommand("compress", "Compress a file into one stored stream (size + LZHUF)");
    compressCommand->add_option("IN", compress.input, "The file to compress")->required();
    compressCommand->add_option("OUT", compress.output, "The stored stream to write")->required();

    CodecOptions expand;
    CLI::App* expandCommand = app.add_subcommand("expand", "Expand one stored stream (size + LZHUF) into a file");
    expandCommand->add_option("IN", expand.input, "The stored stream")->required();
    expandCommand->add_option("OUT", expand.output, "The file to write; a damaged stream is still written whole")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? ExitOk : ExitUsage;
    }
    if (listCommand->parsed()) return RunList(list);
    if (compressCommand->parsed()) return RunCompress(compress);
    if (expandCommand->parsed()) return RunExpand(expand);
    return ExitUsage;
}
