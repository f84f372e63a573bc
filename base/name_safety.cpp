// The name-safety rule: components, device names and the forms that lead outside a place.
#include "base/name_safety.h"

#include "base/paths.h"

#include <cstddef>
#include <cstring>

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
