// Message routines: string-table texts in message boxes, with bounded formatting throughout.
#include "base/messages.h"

#include <cstring>

char ErrorSubject[PathSize];
char SetupCaption[64] = "Setup";
PlatformWindow ProgressWindow;
const char* ProgramCaption = "";

namespace {

// Texts are loaded into 256-byte buffers and formatted into 512-byte ones, as the boxes of the
// original program show them; a longer result is cut.
constexpr int StringBufferSize = 256;
constexpr size_t FormattedSize = 512;

// Formats a string-table text with one text argument: "%s" takes the argument, "%%" a percent
// sign, and anything else is copied as it stands. Substituting by hand, rather than through a
// variadic formatter, keeps a text that names another conversion from reading a wrong argument.
size_t FormatLoaded(char* out, size_t size, const char* format, const char* argument) {
    if (size == 0) return 0;
    size_t n = 0;
    auto put = [&](char c) {
        if (n + 1 < size) out[n++] = c;
    };
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            for (const char* a = argument ? argument : ""; *a; ++a)
                put(*a);
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            put('%');
            ++p;
        } else {
            put(*p);
        }
    }
    out[n] = '\0';
    return n;
}

} // namespace

size_t FormatMessageText(char* out, size_t size, int32_t id, const char* argument) {
    char format[StringBufferSize] = {};
    PlatformLoadString(static_cast<uint32_t>(id), format, StringBufferSize - 1);
    return FormatLoaded(out, size, format, argument);
}

int ShowStringMessage(PlatformWindow owner, int32_t id, uint32_t type) {
    char text[StringBufferSize] = {};
    PlatformLoadString(static_cast<uint32_t>(id), text, StringBufferSize);
    return PlatformMessageBox(owner, text, SetupCaption, type);
}

int WarnString(PlatformWindow owner, int32_t id) {
    char text[StringBufferSize] = {};
    PlatformLoadString(static_cast<uint32_t>(id), text, StringBufferSize);
    return PlatformMessageBox(owner, text, nullptr, BoxOk | BoxIconWarning);
}

int ShowFormattedMessage(PlatformWindow owner, int32_t id, const char* argument, uint32_t type) {
    char text[FormattedSize] = {};
    FormatMessageText(text, sizeof text, id, argument);
    return PlatformMessageBox(owner, text, ProgramCaption, type);
}

int WarnFormatted(PlatformWindow owner, int32_t id, const char* argument) {
    return ShowFormattedMessage(owner, id, argument, BoxOk | BoxIconWarning);
}

int AskRetryCancel(PlatformWindow owner, int32_t id, const char* argument) {
    return ShowFormattedMessage(owner, id, argument, BoxRetryCancel | BoxIconWarning);
}

int AskYesNo(PlatformWindow owner, int32_t id, const char* argument) {
    return ShowFormattedMessage(owner, id, argument, BoxYesNo | BoxIconQuestion);
}

int AskAbortRetryIgnore(PlatformWindow owner, int32_t id, const char* argument) {
    return ShowFormattedMessage(owner, id, argument, BoxAbortRetryIgnore | BoxIconWarning);
}

void ReportStatus(PlatformWindow owner, StatusCode code) {
    if (code == MsgMissing || code == MsgReadError || code == MsgWriteError)
        WarnFormatted(owner, code, ErrorSubject);
    else
        WarnString(owner, code);
}
