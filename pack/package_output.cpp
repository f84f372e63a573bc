// A package into its output directory as one change: staged beside it, moved in when whole.
#include "pack/package_output.h"

#include "base/bytes.h"
#include "pack/pack_error.h"
#include "pack/package_writer.h"
#include "package/catalogue.h"
#include "platform/posix/code_page.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

namespace fs = std::filesystem;

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The regular files directly in directory, by name; none when it is no directory.
std::vector<std::string> FilesIn(const fs::path& directory) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error))
        if (entry.is_regular_file(error)) names.push_back(entry.path().filename().string());
    return names;
}

// The ProgramName of the catalogue at path, or "" when path holds no sound catalogue.
std::string CatalogueProgram(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (bytes.size() < CatalogueHeaderSize) return "";
    const char* program = reinterpret_cast<const char*>(bytes.data()) + 4;
    size_t length = strnlen(program, HeaderProgramNameSize);
    if (length == 0 || length == HeaderProgramNameSize) return "";
    uint32_t count = ReadU16(&bytes[CatalogueHeaderSize - 2]);
    uint32_t area = static_cast<uint32_t>(bytes.size() - CatalogueHeaderSize);
    if (FirstBadRecord(bytes.data() + CatalogueHeaderSize, area, count) != count) return "";
    return std::string(program, length);
}

std::string DiskFolder(unsigned n) {
    return "disk" + std::to_string(n);
}

// A new, empty directory beside out to stage the package in.
fs::path MakeStaging(const fs::path& out) {
    std::random_device device;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06x", device() & 0xFFFFFF);
        fs::path staging =
            out.parent_path() / ("." + out.filename().string() + ".packing-" + suffix);
        std::error_code error;
        if (fs::create_directory(staging, error)) return staging;
        if (error)
            throw PackError(PackError::WriteFailed,
                            "cannot create " + staging.string() + ": " + error.message());
    }
    throw PackError(PackError::WriteFailed,
                    "cannot create a staging directory beside " + out.string());
}

// Writes bytes as the file at path, its directories created; target names it in the error.
void WriteStaged(const fs::path& path, const std::vector<uint8_t>& bytes, const fs::path& target) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::FILE* file = error ? nullptr : std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw PackError(PackError::WriteFailed,
                        "cannot write " + target.string() + ": " +
                            (error ? error.message() : std::strerror(errno)));
    size_t put = std::fwrite(bytes.data(), 1, bytes.size(), file);
    int writeError = put == bytes.size() ? 0 : errno;
    if (std::fclose(file) != 0 && writeError == 0) writeError = errno;
    if (writeError != 0)
        throw PackError(PackError::WriteFailed,
                        "cannot write " + target.string() + " (" + std::to_string(put) + " of " +
                            std::to_string(bytes.size()) + " bytes): " + std::strerror(writeError));
}

// Refuses, before anything is written, an output where something stands in the way of a file:
// the output itself or a disk folder being a file, or a directory where a file goes.
void CheckTargets(const std::vector<OutputFile>& files, const fs::path& out) {
    std::error_code error;
    if (fs::exists(out, error) && !fs::is_directory(out, error))
        throw PackError(PackError::WriteFailed,
                        "cannot write below " + out.string() + ": it is not a directory");
    for (const OutputFile& file : files) {
        fs::path target = out / file.relative;
        fs::path folder = target.parent_path();
        if (fs::is_directory(target, error) ||
            (fs::exists(folder, error) && !fs::is_directory(folder, error)))
            throw PackError(PackError::WriteFailed,
                            "cannot write " + target.string() + ": something else is in its place");
    }
}

// Removes the previous package's files that the new one does not have, and the disk folders
// this leaves empty.
void RemoveLeftovers(const std::vector<std::string>& previous, const std::vector<OutputFile>& files,
                     const fs::path& out) {
    std::set<std::string> kept;
    for (const OutputFile& file : files)
        kept.insert(file.relative);
    for (const std::string& relative : previous) {
        if (kept.count(relative) != 0) continue;
        std::error_code error;
        if (!fs::remove(out / relative, error) && error)
            throw PackError(PackError::WriteFailed,
                            "cannot remove " + (out / relative).string() +
                                " of the previous package: " + error.message());
        fs::path folder = fs::path(relative).parent_path();
        if (!folder.empty() && fs::is_empty(out / folder, error)) fs::remove(out / folder, error);
    }
}

} // namespace

std::vector<std::string> PackageFilesIn(const std::string& directory) {
    fs::path root(directory);
    std::vector<std::string> found;
    std::vector<std::string> volumes;
    std::vector<std::string> first = FilesIn(root / DiskFolder(1));
    for (const std::string& name : first) {
        fs::path path(name);
        if (!SameIgnoringCase(path.extension().string(), ".bin")) continue;
        std::string program = CatalogueProgram(root / DiskFolder(1) / name);
        if (program.empty()) continue;
        found.push_back(DiskFolder(1) + "/" + name);
        volumes.push_back(AnsiToUtf8(VolumeNameOf(program))); // the host's spelling
        for (const std::string& other : first) {
            fs::path setup(other);
            if (SameIgnoringCase(setup.stem().string(), path.stem().string()) &&
                SameIgnoringCase(setup.extension().string(), ".exe"))
                found.push_back(DiskFolder(1) + "/" + other);
        }
    }
    std::error_code error;
    for (unsigned n = 1; fs::is_directory(root / DiskFolder(n), error); ++n)
        for (const std::string& name : FilesIn(root / DiskFolder(n)))
            for (const std::string& volume : volumes)
                if (SameIgnoringCase(name, volume)) found.push_back(DiskFolder(n) + "/" + name);
    for (unsigned n = 1; fs::is_regular_file(root / (DiskFolder(n) + ".img"), error); ++n)
        found.push_back(DiskFolder(n) + ".img");
    std::set<std::string> seen;
    std::vector<std::string> unique;
    for (const std::string& relative : found)
        if (seen.insert(relative).second) unique.push_back(relative);
    return unique;
}

std::vector<std::string> CommitPackageFiles(const std::vector<OutputFile>& files,
                                            const std::string& directory) {
    fs::path out = fs::absolute(directory).lexically_normal();
    if (out.filename().empty()) out = out.parent_path(); // "OUT/"
    std::error_code error;
    fs::create_directories(out.parent_path(), error);
    if (error)
        throw PackError(PackError::WriteFailed,
                        "cannot create " + out.parent_path().string() + ": " + error.message());
    CheckTargets(files, out);
    fs::path staging = MakeStaging(out);
    try {
        for (const OutputFile& file : files)
            WriteStaged(staging / file.relative, *file.bytes, out / file.relative);
    } catch (...) {
        fs::remove_all(staging, error);
        throw;
    }
    std::vector<std::string> previous = PackageFilesIn(out.string());
    std::vector<std::string> written;
    for (const OutputFile& file : files) {
        fs::path target = out / file.relative;
        fs::create_directories(target.parent_path(), error);
        if (!error) fs::rename(staging / file.relative, target, error);
        if (error) {
            std::string reason = error.message();
            fs::remove_all(staging, error);
            throw PackError(PackError::WriteFailed,
                            "cannot move " + target.string() + " into place: " + reason);
        }
        written.push_back((fs::path(directory) / file.relative).string());
    }
    fs::remove_all(staging, error);
    RemoveLeftovers(previous, files, out);
    return written;
}
