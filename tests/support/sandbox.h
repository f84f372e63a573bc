// A fresh directory for one test, addressed by Windows paths on both platforms, and scripted
// answers for every message box the code under test raises.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// A whole file of the host, or an empty vector when it cannot be read (*ok false).
std::vector<uint8_t> ReadHostFile(const std::filesystem::path& path, bool* ok = nullptr);
// Writes bytes as the whole file at path of the host, creating its parent folders; throws
// when the file cannot be written.
void WriteHostFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
void WriteHostFile(const std::filesystem::path& path, const std::string& text);
// Bytes as text, for comparing a file with the text it should hold.
std::string Text(const std::vector<uint8_t>& bytes);

// On POSIX hosts the directory is mapped as drive T: (and C: as its subfolder "c", whose
// WINDOWS folder is the Windows directory); on Windows it is a real temporary directory.
// Removed again at the end of the test.
class Sandbox {
  public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // Windows path of the sandbox root, ending in a backslash.
    const std::string& Root() const { return root_; }
    // Windows path of name below the root.
    std::string Path(const std::string& name) const { return root_ + name; }
    // Host path of a Windows path, for the test's own file access.
    static std::string Host(const std::string& windowsPath);

    void Write(const std::string& windowsPath, const std::vector<uint8_t>& bytes) const;
    void Write(const std::string& windowsPath, const std::string& text) const;
    std::vector<uint8_t> Read(const std::string& windowsPath) const;
    bool Exists(const std::string& windowsPath) const;
    void MakeDirectory(const std::string& windowsPath) const;
    void SetReadOnly(const std::string& windowsPath, bool readOnly) const;

  private:
    std::string root_;
    std::string hostRoot_;
};

// One message box as the code under test raised it.
struct RecordedBox {
    std::string text;
    std::string caption; // "(default)" when the box asked for the system's default title
    uint32_t type;
    PlatformWindow owner;
};

// Installs itself as the message-box hook: each box is recorded and answered from the queue.
// A box with no answer left is answered with Cancel (No, Abort, or OK when that is all it
// offers) and counted as unexpected.
class ScriptedBoxes {
  public:
    explicit ScriptedBoxes(std::deque<int> answers = {});
    ~ScriptedBoxes();
    ScriptedBoxes(const ScriptedBoxes&) = delete;
    ScriptedBoxes& operator=(const ScriptedBoxes&) = delete;

    void Answer(int answer) { answers_.push_back(answer); }
    const std::vector<RecordedBox>& Boxes() const { return boxes_; }
    int Unexpected() const { return unexpected_; }
    // Called before each answer is given, e.g. to arm a fault for the retry.
    void OnBox(std::function<void(const RecordedBox&)> callback) { onBox_ = std::move(callback); }

  private:
    static int Hook(PlatformWindow owner, const char* text, const char* caption, uint32_t type);
    std::deque<int> answers_;
    std::vector<RecordedBox> boxes_;
    int unexpected_ = 0;
    std::function<void(const RecordedBox&)> onBox_;
};
