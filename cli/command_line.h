// The disksetup command line: the subcommands and their options, as the parser reads them.
#pragma once

#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <string>

// Every subcommand's options, filled in by the parser; only the chosen subcommand's are used.
struct CommandLineOptions {
    ListOptions list;
    PackOptions pack;
    TestOptions test;
    CodecOptions compress;
    CodecOptions expand;
    ExtractOptions extract;
    InstallOptions install;
    UninstallOptions uninstall;
    std::string helpTopic; // help SUBCOMMAND: the subcommand to describe, or ""
};

// Declares on app the program's own options and each subcommand with its options, bound to
// options (which must outlive app), in the order the help lists them.
void DeclareCommandLine(CLI::App& app, CommandLineOptions* options);

// The parser's error as every error of the command, beginning "disksetup: ". Two options that
// exclude each other are named in the command's own words, without a pointer to --help.
std::string FailureMessage(const CLI::App* app, const CLI::Error& error);
