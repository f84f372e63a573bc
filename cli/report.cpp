// What the disksetup subcommands print: errors, the engine's messages, and names made safe
// for the terminal.
#include "cli/cli.h"

#include "platform/posix/code_page.h"

#include <strings.h>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

std::string EscapeName(const char* name) {
    return PrintableAnsi(name);
}

std::string EscapeHostName(const std::string& path) {
    return PrintableHost(path);
}

bool CommandLineToAnsi(const std::string& path, std::string* ansi) {
    if (Utf8ToAnsi(path, ansi)) return true;
    PrintError(EscapeHostName(path) + " cannot be spelt in code page " +
               std::to_string(AnsiCodePage()) + ", the package's names' code page");
    return false;
}

bool Quiet = false;
std::FILE* Report = stdout;

void PrintError(const std::string& message) {
    ClearProgressLine();
    std::fprintf(stderr, "disksetup: %s\n", message.c_str());
}

std::string StatusText(StatusCode code, const std::string& subject) {
    char text[1024];
    FormatMessageText(text, sizeof text, code, EscapeHostName(subject).c_str());
    return text;
}

std::string NameStatusText(StatusCode code, const char* subject) {
    char text[1024];
    FormatMessageText(text, sizeof text, code, EscapeName(subject).c_str());
    return text;
}

bool HasExtension(const fs::path& p, const char* extension) {
    return strcasecmp(p.extension().c_str(), extension) == 0;
}
