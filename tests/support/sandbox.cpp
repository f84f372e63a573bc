// Sandbox directories and scripted message boxes for the tests, on both platforms.
#include "tests/support/sandbox.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/posix_platform.h"
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

ScriptedBoxes* ActiveScript = nullptr;

fs::path MakeUniqueDirectory() {
    static int counter = 0;
    fs::path base = fs::temp_directory_path() / "disksetup-tests";
    fs::create_directories(base);
    for (;;) {
        fs::path dir = base / (std::to_string(
#ifdef _WIN32
                                   GetCurrentProcessId()
#else
                                   static_cast<long>(::getpid())
#endif
                                       ) +
                               "-" + std::to_string(++counter));
        if (fs::create_directory(dir)) return dir;
    }
}

} // namespace

std::vector<uint8_t> ReadHostFile(const fs::path& path, bool* ok) {
    std::ifstream in(path, std::ios::binary);
    if (ok) *ok = static_cast<bool>(in);
    if (!in) return {};
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteHostFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteHostFile(const fs::path& path, const std::string& text) {
    WriteHostFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

Sandbox::Sandbox() {
    fs::path dir = MakeUniqueDirectory();
    hostRoot_ = dir.string();
#ifdef _WIN32
    root_ = hostRoot_;
    if (root_.back() != '\\') root_ += '\\';
#else
    PosixResetDrives();
    PosixClearFaults();
    PosixMapDrive('T', hostRoot_);
    fs::create_directories(dir / "c" / "WINDOWS");
    PosixMapDrive('C', (dir / "c").string());
    PosixSetWindowsDirectory("C:\\WINDOWS");
    root_ = "T:\\";
#endif
}

Sandbox::~Sandbox() {
    PlatformOverrideProgramPath(nullptr);
#ifdef _WIN32
    SetCurrentDirectoryA(fs::temp_directory_path().string().c_str());
#else
    PosixClearFaults();
    PosixResetDrives();
#endif
    std::error_code ignored;
    fs::permissions(hostRoot_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto& entry : fs::recursive_directory_iterator(hostRoot_, ignored))
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, ignored);
    fs::remove_all(hostRoot_, ignored);
}

std::string Sandbox::Host(const std::string& windowsPath) {
#ifdef _WIN32
    return windowsPath;
#else
    std::string host = PosixHostPath(windowsPath.c_str());
    if (host.empty()) throw std::runtime_error("no host path for " + windowsPath);
    return host;
#endif
}

void Sandbox::Write(const std::string& windowsPath, const std::vector<uint8_t>& bytes) const {
    WriteHostFile(Host(windowsPath), bytes);
}

void Sandbox::Write(const std::string& windowsPath, const std::string& text) const {
    Write(windowsPath, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> Sandbox::Read(const std::string& windowsPath) const {
    bool ok = false;
    std::vector<uint8_t> bytes = ReadHostFile(Host(windowsPath), &ok);
    if (!ok) throw std::runtime_error("cannot read " + windowsPath);
    return bytes;
}

bool Sandbox::Exists(const std::string& windowsPath) const {
    std::error_code ignored;
    return fs::exists(Host(windowsPath), ignored);
}

void Sandbox::MakeDirectory(const std::string& windowsPath) const {
    fs::create_directories(Host(windowsPath));
}

void Sandbox::SetReadOnly(const std::string& windowsPath, bool readOnly) const {
#ifdef _WIN32
    SetFileAttributesA(windowsPath.c_str(),
                       readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
#else
    fs::permissions(Host(windowsPath),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
#endif
}

ScriptedBoxes::ScriptedBoxes(std::deque<int> answers) : answers_(std::move(answers)) {
    ActiveScript = this;
    PlatformSetMessageBoxHook(&ScriptedBoxes::Hook);
}

ScriptedBoxes::~ScriptedBoxes() {
    PlatformSetMessageBoxHook(nullptr);
    ActiveScript = nullptr;
}

int ScriptedBoxes::Hook(PlatformWindow owner, const char* text, const char* caption,
                        uint32_t type) {
    ScriptedBoxes* self = ActiveScript;
    RecordedBox box{text ? text : "", caption ? caption : "(default)", type, owner};
    self->boxes_.push_back(box);
    if (self->onBox_) self->onBox_(box);
    if (!self->answers_.empty()) {
        int answer = self->answers_.front();
        self->answers_.pop_front();
        return answer;
    }
    ++self->unexpected_;
    switch (type & 0x0F) {
    case BoxOk: return AnswerOk;
    case BoxAbortRetryIgnore: return AnswerAbort;
    case BoxYesNo: return AnswerNo;
    default: return AnswerCancel;
    }
}
