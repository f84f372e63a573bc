// File versions on POSIX hosts: read from the PE version resource of the file itself.
#include "base/pe_version.h"
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Largest file whose version resource is looked for; a shared file is a driver or a library.
constexpr std::streamsize MaxVersionedFileSize = 256 << 20;

} // namespace

bool PlatformFileVersion(const char* path, uint32_t* versionMs, uint32_t* versionLs) {
    std::string host = PosixHostPath(path);
    if (host.empty()) return false;
    std::ifstream in(host, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> data;
    in.seekg(0, std::ios::end);
    std::streamsize size = in.tellg();
    if (size <= 0 || size > MaxVersionedFileSize) return false;
    in.seekg(0);
    data.resize(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(data.data()), size)) return false;
    return ReadPeFileVersion(data.data(), data.size(), versionMs, versionLs);
}
