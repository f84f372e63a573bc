// Command runner for the command-level tests (POSIX hosts only).
#include "tests/support/run_command.h"

#include "tests/support/sandbox.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

CommandResult RunCommand(const std::string& commandLine) {
    static int counter = 0;
    std::string base =
        (std::filesystem::temp_directory_path() /
         ("disksetup-cmd-" + std::to_string(::getpid()) + "-" + std::to_string(++counter)))
            .string();
    std::string full = commandLine + " </dev/null >" + base + ".out 2>" + base + ".err";
    int status = std::system(full.c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = Text(ReadHostFile(base + ".out"));
    result.err = Text(ReadHostFile(base + ".err"));
    std::filesystem::remove(base + ".out");
    std::filesystem::remove(base + ".err");
    return result;
}

CommandResult RunDisksetup(const std::string& args) {
    return RunCommand(std::string(DISKSETUP_CLI) + " " + args);
}

std::string SchemaProblems(const std::string& document) {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("disksetup-doc-" + std::to_string(::getpid()) + ".json"))
                           .string();
    WriteHostFile(path, document);
    CommandResult r = RunCommand(
        "python3 -c 'import json, sys, jsonschema; "
        "jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))' " +
        ShellQuote(path) + " " +
        ShellQuote(std::string(DISKSETUP_SOURCE_DIR) + "/cli/disksetup.schema.json"));
    std::filesystem::remove(path);
    return r.exitCode == 0 ? "" : r.err.empty() ? "exit " + std::to_string(r.exitCode) : r.err;
}
#endif
