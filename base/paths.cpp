// Path helpers: bounded in-place edits of 260-byte path texts.
#include "base/paths.h"

#include "base/messages.h"
#include "base/text_format.h"

#include <cstring>

bool CopyText(char* target, size_t size, const char* source) {
    if (size == 0) return false;
    size_t n = std::strlen(source);
    bool whole = n < size;
    if (!whole) n = size - 1;
    std::memmove(target, source, n);
    target[n] = '\0';
    return whole;
}

bool AppendText(char* target, size_t size, const char* source) {
    size_t have = strnlen(target, size);
    size_t add = std::strlen(source);
    if (have >= size || add >= size - have) return false;
    std::memcpy(target + have, source, add + 1);
    return true;
}

bool ReplaceExtension(char* path, size_t size, const char* extension) {
    char* dot = std::strrchr(path, '.');
    if (dot == nullptr || std::strchr(dot, '\\') != nullptr)
        return AppendText(path, size, extension);
    size_t keep = static_cast<size_t>(dot - path);
    size_t add = std::strlen(extension);
    if (keep + add >= size) return false;
    std::memcpy(dot, extension, add + 1);
    return true;
}

bool AppendBackslash(char* path, size_t size) {
    size_t n = strnlen(path, size);
    if (n == 0 || path[n - 1] == '\\') return true;
    return AppendText(path, size, "\\");
}

void StripBackslash(char* path) {
    size_t n = std::strlen(path);
    if (n > 3 && path[n - 1] == '\\') path[n - 1] = '\0';
}

namespace {

// The upper-case form of a Windows-1252 letter: a to z, the accented letters from 0xE0 (but
// 0xF7, the division sign), and the four of 0x9A to 0xFF whose capitals lie elsewhere. Other
// characters, sharp s and micro sign among them, have none and stay.
unsigned char UpperCase(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0x9A: return 0x8A; // s with caron
    case 0x9C: return 0x8C; // ligature oe
    case 0x9E: return 0x8E; // z with caron
    case 0xFF: return 0x9F; // y with diaeresis
    default: return c;
    }
}

} // namespace

bool SameTextIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = UpperCase(static_cast<unsigned char>(*a));
        unsigned char y = UpperCase(static_cast<unsigned char>(*b));
        if (x != y) return false;
        if (x == 0) return true;
    }
}

namespace {

// Windows' reserved device names: a path whose component is one of them, with or without an
// extension, names the device rather than a file.
constexpr const char* DeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};

bool IsDeviceName(const char* component, size_t length) {
    // The device is named by what stands before the first dot, trailing spaces ignored.
    size_t base = 0;
    while (base < length && component[base] != '.')
        ++base;
    while (base > 0 && component[base - 1] == ' ')
        --base;
    char text[8] = {};
    if (base == 0 || base >= sizeof text) return false;
    std::memcpy(text, component, base);
    for (const char* device : DeviceNames)
        if (SameTextIgnoringCase(text, device)) return true;
    // COM1 to COM9 and LPT1 to LPT9.
    bool numbered = base == 4 && text[3] >= '1' && text[3] <= '9';
    text[3] = '\0';
    return numbered && (SameTextIgnoringCase(text, "COM") || SameTextIgnoringCase(text, "LPT"));
}

// Whether one component names a file or directory in its own place: not empty, not ending in a
// dot or a space (so neither '.' nor '..' nor anything Windows shortens to them), no device.
bool SafeComponent(const char* component, size_t length) {
    if (length == 0) return false;
    char last = component[length - 1];
    if (last == '.' || last == ' ') return false;
    return !IsDeviceName(component, length);
}

} // namespace

bool SafeCatalogueName(const char* name, bool rootedAllowed) {
    const char* rest = name;
    if (rest[0] != '\0' && rest[1] == ':') {
        rest += 2;
        if (rest[0] != '\\') return false; // 'D:FILE' is relative to a current directory
    }
    if (rest[0] == '\\') {
        if (!rootedAllowed) return false;
        ++rest; // a UNC name ('\\SRV') is left with an empty component
    }
    for (const char* p = rest; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || std::strchr("/:*?\"<>|", c) != nullptr) return false;
    }
    for (const char* start = rest;;) {
        const char* end = std::strchr(start, '\\');
        size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
        if (!SafeComponent(start, length)) return false;
        if (end == nullptr) return true;
        start = end + 1;
    }
}

bool TemporaryName(const char* path, unsigned n, char* buffer) {
    const char* slash = std::strrchr(path, '\\');
    size_t directory = slash ? static_cast<size_t>(slash - path) + 1 : 0;
    if (directory >= PathSize) return false;
    std::memcpy(buffer, path, directory);
    buffer[directory] = '\0';
    char name[16];
    FormatText(name, sizeof name, "~ds%05u.tmp", n);
    return AppendText(buffer, PathSize, name);
}
