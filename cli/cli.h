// What the disksetup subcommands share: exit codes, and printing errors, messages and names.
#pragma once

#include "base/messages.h"
#include "platform/posix/code_page.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// Exit codes of the disksetup command.
enum ExitCode : int {
    ExitOk = 0,
    ExitUsage = 1,    // the command line is wrong
    ExitBadInput = 2, // a package, stream or file is missing, damaged or unusable
    ExitFailed = 3,   // cancelled, or reading or writing failed on the host
};

// A name from a package (ANSI) as the terminal shows it: its UTF-8 spelling, with control
// characters as \xNN.
std::string EscapeName(const char* name);
// A host path (UTF-8) as the terminal shows it: control characters and bytes that are not UTF-8
// as \xNN.
std::string EscapeHostName(const std::string& path);
// A Windows path given on the command line (UTF-8) as an ANSI text, into *ansi. False after
// printing why when the code page cannot spell it.
bool CommandLineToAnsi(const std::string& path, std::string* ansi);

// The version of the JSON documents that the subcommands' --json prints, as their "format";
// cli/disksetup.schema.json describes them.
constexpr int JsonFormat = 1;
// A record's Flags by name, as the JSON documents give them ("notInstalled", "shared").
std::vector<std::string> FlagNames(const uint8_t* record);

// Where extract, install and uninstall print the lines that report their work: standard
// output, or standard error while --json keeps standard output for the document alone.
extern std::FILE* Report;

// -q: print errors only (no progress bar, nothing on standard output but what list and test
// are asked for, and a --json document).
extern bool Quiet;
// Clears the progress bar's line, so that a line printed next starts on a line of its own.
void ClearProgressLine();

// Prints "disksetup: " and the message to standard error, on a line of its own.
void PrintError(const std::string& message);
// The engine's text for a status code whose %s is subject, a host path (UTF-8).
std::string StatusText(StatusCode code, const std::string& subject);
// The same for a subject from the package's world, such as a Windows path (ANSI).
std::string NameStatusText(StatusCode code, const char* subject);

// Whether p's extension is extension (".bin"), in any letter case.
bool HasExtension(const std::filesystem::path& p, const char* extension);
