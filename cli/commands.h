// The subcommands of disksetup, each a function of its parsed options returning an exit code.
#pragma once

#include <string>

struct ListOptions {
    std::string path;
    bool json = false;
};
int RunList(const ListOptions& options);

// disksetup compress IN OUT / expand IN OUT: one stored stream (4-byte size, LZHUF bits).
struct CodecOptions {
    std::string input;
    std::string output;
};
int RunCompress(const CodecOptions& options);
int RunExpand(const CodecOptions& options);
