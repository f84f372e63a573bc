// Message boxes and the string table on POSIX hosts: boxes go to a hook or to the terminal.
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

PlatformMessageBoxHook Hook = nullptr;

struct StringEntry {
    uint32_t id;
    const char* text;
};

const StringEntry StringTable[] = {
#define SETUP_STRING(id, name, text) {id, text},
#include "resources/strings.def"
#include "resources/uninstall_strings.def"
#undef SETUP_STRING
};

// The buttons of a box type: their answers and the letters that choose them at a terminal.
struct Button {
    int answer;
    const char* label;
    char key;
};

int ButtonsOf(uint32_t type, Button* out) {
    switch (type & 0x0F) {
    case BoxOkCancel:
        out[0] = {AnswerOk, "OK", 'o'};
        out[1] = {AnswerCancel, "Cancel", 'c'};
        return 2;
    case BoxAbortRetryIgnore:
        out[0] = {AnswerAbort, "Abort", 'a'};
        out[1] = {AnswerRetry, "Retry", 'r'};
        out[2] = {AnswerIgnore, "Ignore", 'i'};
        return 3;
    case BoxYesNo:
        out[0] = {AnswerYes, "Yes", 'y'};
        out[1] = {AnswerNo, "No", 'n'};
        return 2;
    case BoxRetryCancel:
        out[0] = {AnswerRetry, "Retry", 'r'};
        out[1] = {AnswerCancel, "Cancel", 'c'};
        return 2;
    default: out[0] = {AnswerOk, "OK", 'o'}; return 1;
    }
}

// The answer of a box nobody can answer: whichever button stops, else the only one.
int UnansweredResult(const Button* buttons, int count) {
    for (int i = 0; i < count; ++i)
        if (buttons[i].answer == AnswerCancel || buttons[i].answer == AnswerNo ||
            buttons[i].answer == AnswerAbort)
            return buttons[i].answer;
    return buttons[0].answer;
}

} // namespace

int PosixTerminalPrompter(const char* text, const char* caption, uint32_t type) {
    Button buttons[3];
    int count = ButtonsOf(type, buttons);
    std::fprintf(stderr, "\n[%s] %s\n", caption ? caption : "Error", text);
    FILE* tty = isatty(STDIN_FILENO) ? stdin : nullptr;
    if (tty == nullptr) return UnansweredResult(buttons, count);
    for (;;) {
        for (int i = 0; i < count; ++i)
            std::fprintf(stderr, "%s(%c) %s", i ? ", " : "  ", buttons[i].key, buttons[i].label);
        std::fprintf(stderr, "? ");
        char line[64];
        if (std::fgets(line, sizeof line, tty) == nullptr) return UnansweredResult(buttons, count);
        char key = line[0] >= 'A' && line[0] <= 'Z' ? static_cast<char>(line[0] + 32) : line[0];
        if (count == 1 && (key == '\n' || key == 'o')) return buttons[0].answer;
        for (int i = 0; i < count; ++i)
            if (key == buttons[i].key) return buttons[i].answer;
    }
}

int PosixUnansweredResult(uint32_t type) {
    Button buttons[3];
    return UnansweredResult(buttons, ButtonsOf(type, buttons));
}

void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook) {
    Hook = hook;
}

int PlatformMessageBox(PlatformWindow owner, const char* text, const char* caption, uint32_t type) {
    if (Hook != nullptr) return Hook(owner, text, caption, type);
    return PosixTerminalPrompter(text, caption, type);
}

int PlatformLoadString(uint32_t id, char* buffer, int size) {
    if (size <= 0) return 0;
    buffer[0] = '\0';
    for (const StringEntry& entry : StringTable) {
        if (entry.id != id) continue;
        size_t length = std::strlen(entry.text);
        return static_cast<int>(CopyBounded(buffer, static_cast<size_t>(size), entry.text, length));
    }
    return 0;
}
