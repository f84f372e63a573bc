// One argument of a program-manager DDE command, quoted when its characters would break it.
#include "install/progman_argument.h"

#include "base/paths.h"

#include <cstring>

namespace {

// The characters that end an unquoted argument or open a quoted one.
constexpr char ArgumentBreakers[] = ",()[]\"";

} // namespace

bool ProgmanCanCarry(const char* text) {
    return std::strchr(text, '"') == nullptr;
}

bool AppendProgmanArgument(char* command, size_t size, const char* text) {
    if (!ProgmanCanCarry(text)) return false;
    if (text[std::strcspn(text, ArgumentBreakers)] == '\0') return AppendText(command, size, text);
    size_t have = strnlen(command, size);
    size_t length = std::strlen(text);
    if (have >= size || length + 2 >= size - have) return false;
    command[have] = '"';
    std::memcpy(command + have + 1, text, length);
    command[have + 1 + length] = '"';
    command[have + 2 + length] = '\0';
    return true;
}
