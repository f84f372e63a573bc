// The uninstaller's closing box, and its version of the removal's reports.
#include "uninstall/win32/closing_box.h"

#include "base/messages.h"
#include "base/paths.h"
#include "base/text_format.h"
#include "package/catalogue.h"
#include "uninstall/removal.h"

#include <cstring>

namespace {

// The kept files' lines, as long as a box can show them; the rest is summed up by "...".
constexpr size_t KeptSize = 2048;
char Kept[KeptSize];
bool KeptCut = false;
char SelfLine[512];

// Adds one line, keeping room for the "...\n" that ends a list too long for the box.
void AddKeptLine(const char* line) {
    if (KeptCut) return;
    size_t room = KeptSize - std::strlen(Kept);
    if (std::strlen(line) + sizeof "\n" + sizeof "...\n" <= room) {
        AppendText(Kept, KeptSize, line);
        AppendText(Kept, KeptSize, "\n");
    } else {
        AppendText(Kept, KeptSize, "...\n");
        KeptCut = true;
    }
}

// Appends the string id formatted with argument, then a blank line.
void AddParagraph(char* text, size_t size, int32_t id, const char* argument) {
    char line[512] = {};
    FormatMessageText(line, sizeof line, id, argument);
    AppendText(text, size, line);
    AppendText(text, size, "\n\n");
}

} // namespace

void NoteRemoval(RemovalEvent event, const char* subject) {
    int32_t reason = KeptReasonText(event);
    if (reason == 0) return; // removed and missing files are counted, not listed
    char line[512] = {};
    FormatMessageText(line, sizeof line, reason, subject);
    AddKeptLine(line);
}

void NoteSelf(const char* self, bool scheduled) {
    FormatMessageText(SelfLine, sizeof SelfLine, scheduled ? StrSelfAtRestart : StrSelfKept, self);
}

void ShowClosingBox(bool complete) {
    static char text[KeptSize + 2048];
    text[0] = '\0';
    AddParagraph(text, sizeof text, complete ? StrRemoved : StrRemovalStopped, Header.Title);
    char count[16];
    FormatText(count, sizeof count, "%u", static_cast<unsigned>(RemovalTally.removed));
    AddParagraph(text, sizeof text, StrRemovedCount, count);
    if (Kept[0] != '\0') {
        AddParagraph(text, sizeof text, StrKeptHeading, "");
        text[std::strlen(text) - 1] = '\0'; // the heading is followed by its lines at once
        AppendText(text, sizeof text, Kept);
        AppendText(text, sizeof text, "\n");
    }
    AppendText(text, sizeof text, SelfLine);
    size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == '\n')
        text[--length] = '\0';
    PlatformMessageBox(nullptr, text, Header.Title, BoxOk | BoxIconInformation);
}
