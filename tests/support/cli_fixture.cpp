// The command-level tests' shared fixture.
#include "tests/support/cli_fixture.h"

#include "fat/image_writer.h"

#ifndef _WIN32
namespace fs = std::filesystem;

std::set<std::string> FilesBelow(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), root).string());
    return files;
}

CliFixture::CliFixture() {
    setenv("XDG_DATA_HOME", Host("data-home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", Host("config-home").c_str(), 1);
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

std::string CliFixture::WriteImages(const TestPackage& package, uint32_t kb) {
    Write(package);
    for (int disk = 1; fs::is_directory(Host("pkg/disk" + std::to_string(disk))); ++disk) {
        std::string name = "pkg/disk" + std::to_string(disk);
        std::vector<std::vector<uint8_t>> contents;
        std::set<std::string> names = FilesBelow(Host(name));
        for (const std::string& file : names)
            contents.push_back(ReadHostFile(Host(name) / file));
        std::vector<FloppyFile> files;
        size_t i = 0;
        for (const std::string& file : names)
            files.push_back({file, &contents[i++]});
        std::vector<uint8_t> image;
        EXPECT_EQ(MakeFloppyImage(*FloppyGeometry(kb), "TEST", 1, files, &image), "");
        WriteHostFile(Host(name + ".img"), image);
    }
    return Quoted("pkg/disk1.img");
}

std::set<std::string> CliFixture::Added(const std::set<std::string>& before) const {
    std::set<std::string> added;
    for (const std::string& f : FilesBelow(Host("")))
        if (!before.count(f)) added.insert(f);
    return added;
}
#endif
