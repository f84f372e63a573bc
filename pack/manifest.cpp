// Reading a package description: a TOML manifest, or a directory listed with options.
#include "pack/manifest.h"

#include "pack/pack_error.h"

#include <toml++/toml.h>

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Where a value sits, for the messages: "manifest pkg.toml, file 3".
struct Place {
    std::string source;
    std::string table; // "" for the top level
    std::string Of(const std::string& key) const {
        return "manifest " + source + (table.empty() ? "" : ", " + table) + ": key \"" + key + "\"";
    }
};

void RefuseUnknownKeys(const toml::table& table, const std::set<std::string>& known,
                       const Place& place) {
    for (auto&& [key, value] : table) {
        std::string k(key.str());
        if (!known.count(k)) throw PackError(place.Of(k) + " is not known");
    }
}

template <typename T>
std::optional<T> Optional(const toml::table& table, const std::string& key, const Place& place,
                          const char* typeName) {
    const toml::node* node = table.get(key);
    if (node == nullptr) return std::nullopt;
    std::optional<T> value = node->value_exact<T>();
    if (!value) throw PackError(place.Of(key) + " must be " + typeName);
    return value;
}

std::string RequiredString(const toml::table& table, const std::string& key, const Place& place) {
    std::optional<std::string> value = Optional<std::string>(table, key, place, "a string");
    if (!value) throw PackError(place.Of(key) + " is missing");
    return *value;
}

std::string HostPath(const std::string& base, const std::string& path) {
    if (path.empty() || fs::path(path).is_absolute()) return path;
    return (fs::path(base) / path).string();
}

ManifestFile ParseFileTable(const toml::table& table, const std::string& base, const Place& place) {
    RefuseUnknownKeys(table, {"source", "name", "shared", "version", "install"}, place);
    ManifestFile file;
    file.source = HostPath(base, RequiredString(table, "source", place));
    file.name = RequiredString(table, "name", place);
    file.shared = Optional<bool>(table, "shared", place, "true or false").value_or(false);
    file.install = Optional<bool>(table, "install", place, "true or false").value_or(true);
    if (auto version = Optional<std::string>(table, "version", place, "a string")) {
        if (!file.shared)
            throw PackError(place.Of("version") + " is given for a file that is not shared");
        try {
            file.version = ParseFileVersion(*version);
        } catch (const PackError& e) {
            throw PackError(place.Of("version") + ": " + e.what());
        }
    }
    return file;
}

void ParseTopLevel(const toml::table& top, const std::string& base, const Place& place,
                   PackManifest* manifest) {
    RefuseUnknownKeys(
        top,
        {"program", "title", "kind", "setup", "disk_size", "setup_program", "uninstaller", "file"},
        place);
    manifest->program = RequiredString(top, "program", place);
    manifest->title = RequiredString(top, "title", place);
    std::string kind = Optional<std::string>(top, "kind", place, "a string").value_or("ordinary");
    if (kind != "ordinary" && kind != "insv")
        throw PackError(place.Of("kind") + " is \"" + kind +
                        "\"; it must be \"ordinary\" or \"insv\"");
    manifest->insv = kind == "insv";
    manifest->setup = Optional<std::string>(top, "setup", place, "a string").value_or("SETUP");
    if (auto size = Optional<int64_t>(top, "disk_size", place, "an integer")) {
        if (*size <= 0)
            throw PackError(place.Of("disk_size") + " is " + std::to_string(*size) +
                            "; it must be positive");
        manifest->diskSize = static_cast<uint64_t>(*size);
        manifest->diskSizeGiven = true;
    }
    if (auto program = Optional<std::string>(top, "setup_program", place, "a string"))
        manifest->setupProgram = *program == BuiltinWord ? *program : HostPath(base, *program);
    if (auto uninstaller = Optional<std::string>(top, "uninstaller", place, "a string")) {
        if (*uninstaller != BuiltinWord)
            throw PackError(place.Of("uninstaller") + " is \"" + *uninstaller +
                            "\"; it can only be \"builtin\" (an own uninstaller is a [[file]] "
                            "named \"uninstal.exe\")");
        manifest->builtinUninstaller = true;
    }
}

} // namespace

FileVersion ParseFileVersion(const std::string& text) {
    uint32_t parts[4] = {};
    int count = 0;
    std::string rest = text;
    for (;;) {
        size_t dot = rest.find('.');
        std::string part = rest.substr(0, dot);
        if (count == 4 || part.empty() || part.size() > 5 ||
            part.find_first_not_of("0123456789") != std::string::npos || std::stoul(part) > 0xFFFF)
            throw PackError("version \"" + text +
                            "\" is not one to four numbers 0 to 65535 joined by dots");
        parts[count++] = static_cast<uint32_t>(std::stoul(part));
        if (dot == std::string::npos) break;
        rest = rest.substr(dot + 1);
    }
    return {parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]};
}

PackManifest ParseManifest(const std::string& text, const std::string& base,
                           const std::string& sourceName) {
    toml::table top;
    try {
        top = toml::parse(text, sourceName);
    } catch (const toml::parse_error& e) {
        std::ostringstream message;
        message << "manifest " << sourceName << ", line " << e.source().begin.line << ": "
                << e.description();
        throw PackError(message.str());
    }
    Place place{sourceName, ""};
    PackManifest manifest;
    ParseTopLevel(top, base, place, &manifest);
    if (const toml::node* files = top.get("file")) {
        const toml::array* list = files->as_array();
        if (list == nullptr)
            throw PackError(place.Of("file") + " must be an array of tables ([[file]])");
        for (size_t i = 0; i < list->size(); ++i) {
            Place at{sourceName, "file " + std::to_string(i + 1)};
            const toml::table* table = (*list)[i].as_table();
            if (table == nullptr)
                throw PackError("manifest " + sourceName + ", " + at.table + " is not a table");
            manifest.files.push_back(ParseFileTable(*table, base, at));
        }
    }
    return manifest;
}

PackManifest LoadManifest(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PackError("manifest " + path + " cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw PackError("manifest " + path + " cannot be read");
    std::string base = fs::path(path).parent_path().string();
    return ParseManifest(text.str(), base.empty() ? "." : base, path);
}

namespace {

// Every regular file below directory as relative paths with '/', in byte order.
std::vector<std::string> ListFiles(const std::string& directory) {
    std::error_code error;
    if (!fs::is_directory(directory, error))
        throw PackError("directory " + directory + " does not exist");
    std::vector<std::string> files;
    fs::recursive_directory_iterator it(directory, fs::directory_options::follow_directory_symlink,
                                        error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error))
        if (it->is_regular_file())
            files.push_back(fs::relative(it->path(), directory).generic_string());
    if (error) throw PackError("directory " + directory + " cannot be listed: " + error.message());
    std::sort(files.begin(), files.end());
    return files;
}

ManifestFile* FindListed(std::vector<ManifestFile>& files, const std::vector<std::string>& paths,
                         const std::string& path, const char* option) {
    auto at = std::find(paths.begin(), paths.end(), path);
    if (at == paths.end())
        throw PackError(std::string(option) + " " + path + ": no such file in the directory");
    return &files[static_cast<size_t>(at - paths.begin())];
}

} // namespace

PackManifest ManifestFromDirectory(const DirectoryPackOptions& options) {
    PackManifest manifest;
    manifest.program = options.program;
    manifest.title = options.title;
    manifest.insv = options.insv;
    manifest.setup = options.setup;
    manifest.diskSize = options.diskSize;
    manifest.setupProgram = options.setupProgram;
    std::vector<std::string> paths = ListFiles(options.directory);
    for (const std::string& path : paths)
        manifest.files.push_back(
            {(fs::path(options.directory) / path).string(), path, false, true, std::nullopt});
    for (const std::string& given : options.shared) {
        size_t equals = given.find('=');
        ManifestFile* file = FindListed(manifest.files, paths, given.substr(0, equals), "--shared");
        file->shared = true;
        if (equals != std::string::npos) file->version = ParseFileVersion(given.substr(equals + 1));
    }
    for (const std::string& path : options.notInstalled)
        FindListed(manifest.files, paths, path, "--not-installed")->install = false;
    if (options.uninstaller == BuiltinWord)
        manifest.builtinUninstaller = true;
    else if (!options.uninstaller.empty())
        FindListed(manifest.files, paths, options.uninstaller, "--uninstaller")->name =
            "uninstal.exe";
    return manifest;
}

void AddBuiltinUninstaller(PackManifest* manifest, const std::string& exe) {
    for (size_t i = 0; i < manifest->files.size(); ++i)
        if (strcasecmp(manifest->files[i].name.c_str(), "uninstal.exe") == 0)
            throw PackError("file " + std::to_string(i + 1) + " (" + manifest->files[i].source +
                            ") is already the uninstaller; the built-in one cannot be added too");
    manifest->files.push_back({exe, "uninstal.exe", false, true, std::nullopt});
    manifest->builtinUninstaller = false;
}
