// Runs a command line for the command-level tests and captures what it printed.
#pragma once

#include <string>

struct CommandResult {
    int exitCode = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// Runs commandLine through /bin/sh, with standard input from /dev/null.
CommandResult RunCommand(const std::string& commandLine);
// Runs the disksetup command under test with args, already quoted for the shell.
CommandResult RunDisksetup(const std::string& args);
// Quotes one argument for the shell.
std::string ShellQuote(const std::string& text);
// What is wrong with a JSON document of the command against its schema
// (cli/disksetup.schema.json), checked by python3's jsonschema; "" when it is valid.
std::string SchemaProblems(const std::string& document);
