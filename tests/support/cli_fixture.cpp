// The command-level tests' shared fixture.
#include "tests/support/cli_fixture.h"

#ifndef _WIN32
namespace fs = std::filesystem;

std::set<std::string> FilesBelow(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), root).string());
    return files;
}

std::map<std::string, std::string> TreeBelow(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string relative = fs::relative(entry.path(), root).string();
        tree[relative] = entry.is_directory() ? "/" : Text(ReadHostFile(entry.path()));
    }
    return tree;
}

fs::path CliFixture::Host(const std::string& relative) const {
    return fs::path(Sandbox::Host(box_.Root())) / relative;
}

std::string CliFixture::Quoted(const std::string& relative) const {
    return ShellQuote(Host(relative).string());
}

std::string CliFixture::Write(const TestPackage& package) {
    WriteTestPackage(box_, package, box_.Path("pkg\\"));
    return Quoted("pkg/disk1");
}

std::set<std::string> CliFixture::Added(const std::set<std::string>& before) const {
    std::set<std::string> added;
    for (const std::string& f : FilesBelow(Host("")))
        if (!before.count(f)) added.insert(f);
    return added;
}
#endif
