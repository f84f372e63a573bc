// The subcommands of disksetup, each a function of its parsed options returning an exit code.
#pragma once

#include <string>

struct ListOptions {
    std::string path;
    bool json = false;
};
int RunList(const ListOptions& options);
