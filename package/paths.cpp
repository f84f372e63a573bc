// Path helpers: bounded in-place edits of 260-byte path texts.
#include "package/paths.h"

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
    if (dot == nullptr || std::strchr(dot, '\\') != nullptr) return AppendText(path, size, extension);
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

bool SameTextIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
        if (x == 0) return true;
    }
}
