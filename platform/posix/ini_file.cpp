// The settings file on POSIX hosts: private-profile integers read and strings written, as the
// Windows profile calls do, in a file rewritten whole through a temporary beside it.
#include "base/messages.h"
#include "base/paths.h"
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// A bare file name lies in the Windows directory; anything with a directory is taken as given.
std::string IniWindowsPath(const char* file) {
    std::string path = file;
    if (path.find_first_of("\\/:") == std::string::npos) {
        char windows[260];
        PlatformWindowsDirectory(windows, sizeof windows);
        std::string dir = windows;
        if (!dir.empty() && dir.back() != '\\') dir += '\\';
        path = dir + path;
    }
    return path;
}

std::string IniHostPath(const char* file) {
    return PosixHostPath(IniWindowsPath(file).c_str());
}

// The file's lines without their line ends; an absent file has none. False when a file is
// there but cannot be read whole, so that a rewrite would lose what could not be read.
bool ReadLines(const std::string& host, std::vector<std::string>* lines) {
    lines->clear();
    std::ifstream in(host, std::ios::binary);
    struct stat st;
    if (!in) return lstat(host.c_str(), &st) != 0 && errno == ENOENT;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines->push_back(line);
    }
    return !in.bad();
}

// Writes text as the whole file at windowsPath: into a new temporary beside it (the name every
// file this program writes is written as), which replaces the file only when complete. On
// failure the old file stays as it was and the temporary is deleted.
bool ReplaceWholeFile(const std::string& windowsPath, const std::string& text) {
    char temporary[PathSize];
    for (unsigned n = 0; n < TemporaryNames && TemporaryName(windowsPath.c_str(), n, temporary);
         ++n) {
        if (PlatformPathExists(temporary)) continue;
        PlatformFile file = PlatformCreateNew(temporary);
        if (file == PlatformNoFile) return false;
        int32_t put =
            text.empty() ? 0 : PlatformWrite(file, text.data(), static_cast<uint32_t>(text.size()));
        PlatformClose(file);
        if (put == static_cast<int32_t>(text.size()) &&
            PlatformReplaceFile(temporary, windowsPath.c_str()))
            return true;
        PlatformDeleteFile(temporary);
        return false;
    }
    return false;
}

// The section a line opens ("[name]", trimmed and lower-cased), or false for another line.
bool SectionOf(const std::string& line, std::string* name) {
    std::string text = Trim(line);
    if (text.empty() || text[0] != '[') return false;
    size_t close = text.find(']');
    *name = Lower(Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
    return true;
}

// The key of a "key=value" line (trimmed, lower-cased) and its value; false without '='.
bool KeyOf(const std::string& line, std::string* key, std::string* value) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    *key = Lower(Trim(line.substr(0, equals)));
    *value = Trim(line.substr(equals + 1));
    return true;
}

// Where section's lines are: the index of its header line, or lines.size() when absent, and
// the index after its last line.
void FindSection(const std::vector<std::string>& lines, const std::string& section, size_t* head,
                 size_t* end) {
    std::string wanted = Lower(Trim(section)), name;
    *head = *end = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!SectionOf(lines[i], &name)) continue;
        if (*head < lines.size()) {
            *end = i;
            return;
        }
        if (name == wanted) *head = i;
    }
}

// The line of key within [from, to), or to when absent.
size_t FindKey(const std::vector<std::string>& lines, size_t from, size_t to,
               const std::string& key) {
    std::string wanted = Lower(Trim(key)), name, value;
    for (size_t i = from; i < to; ++i)
        if (KeyOf(lines[i], &name, &value) && name == wanted) return i;
    return to;
}

// The leading decimal number of text, as the profile read takes it: blanks, a sign, digits;
// no digits give 0; overflow wraps as the 32-bit accumulator does.
uint32_t LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

} // namespace

uint32_t PlatformReadIniInt(const char* section, const char* key, int32_t defaultValue,
                            const char* file) {
    std::string host = IniHostPath(file);
    if (host.empty()) return static_cast<uint32_t>(defaultValue);
    std::vector<std::string> lines;
    ReadLines(host, &lines);
    size_t head, end;
    FindSection(lines, section, &head, &end);
    if (head == lines.size()) return static_cast<uint32_t>(defaultValue);
    size_t at = FindKey(lines, head + 1, end, key);
    std::string name, value;
    if (at == end || !KeyOf(lines[at], &name, &value) || value.empty())
        return static_cast<uint32_t>(defaultValue);
    return LeadingNumber(value);
}

bool PlatformWriteIniString(const char* section, const char* key, const char* value,
                            const char* file) {
    if (section == nullptr || key == nullptr || value == nullptr) return false;
    std::string path = IniWindowsPath(file), host = PosixHostPath(path.c_str());
    std::vector<std::string> lines;
    if (host.empty() || !ReadLines(host, &lines)) return false;
    std::string entry = std::string(key) + "=" + value;
    size_t head, end;
    FindSection(lines, section, &head, &end);
    if (head == lines.size()) {
        lines.push_back(std::string("[") + section + "]");
        lines.push_back(entry);
    } else {
        size_t at = FindKey(lines, head + 1, end, key);
        if (at < end) {
            lines[at] = entry;
        } else {
            // After the section's last non-blank line, so a blank separator stays in place.
            size_t after = end;
            while (after > head + 1 && Trim(lines[after - 1]).empty())
                --after;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after), entry);
        }
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return ReplaceWholeFile(path, text);
}
