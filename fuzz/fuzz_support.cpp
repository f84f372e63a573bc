// Scratch drive and self-answering message boxes for the fuzz targets.
#include "fuzz/fuzz_support.h"

#include "platform/platform.h"
#include "platform/posix/posix_platform.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

int Answer(PlatformWindow, const char*, const char*, uint32_t type) {
    return PosixUnansweredResult(type);
}

} // namespace

const std::string& FuzzDrive() {
    static std::string root = [] {
        std::string dir = (std::filesystem::temp_directory_path() /
                           ("disksetup-fuzz-" + std::to_string(::getpid())))
                              .string();
        std::filesystem::create_directories(dir);
        PosixMapDrive('F', dir);
        return dir;
    }();
    return root;
}

void FuzzWriteFile(const std::string& relative, const uint8_t* data, size_t size) {
    std::string path = FuzzDrive() + "/" + relative;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

void FuzzAnswerBoxes() {
    PlatformSetMessageBoxHook(Answer);
}
