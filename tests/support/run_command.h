// Runs a command line for the command-level tests and captures what it printed.
#pragma once

#include <string>

struct CommandResult {
    int exitCode = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// Runs argv joined by /bin/sh quoting rules, with standard input from /dev/null.
CommandResult RunCommand(const std::string& commandLine);
// Quotes one argument for the shell.
std::string ShellQuote(const std::string& text);
