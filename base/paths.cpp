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
