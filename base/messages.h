// Status codes and the message routines through which every step reports to the user.
//
// A StatusCode is StatusOk for success, the answer of the message-box button the user pressed
// (AnswerOk to AnswerNo; StatusCancelled, Cancel's answer passed on, means cancelled), or the
// string-table id of an error message (MsgWindowProblem to MsgNoUninstallerName).
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

typedef int32_t StatusCode;

// String-table ids, named in the string tables (resources/*.def) that number them.
enum : int32_t {
    StatusOk = 0,
    StatusCancelled = 2,
#define SETUP_STRING(id, name, text) name = id,
#include "resources/strings.def"
#include "resources/uninstall_strings.def"
#undef SETUP_STRING
};

constexpr size_t PathSize = 260; // every path buffer: 259 characters and the terminator

// The text that fills the %s of ReportStatus: the catalogue's path while it is loaded, a
// record's Name when a volume comes up short.
extern char ErrorSubject[PathSize];

// Owner of every message box raised while transferring: the progress display, or null.
extern PlatformWindow ProgressWindow;

// Caption of ShowStringMessage and of the disk prompt; "Setup" until start-up loads
// StrSetupCaption.
extern char SetupCaption[64];

// Caption of the formatted boxes: the catalogue's ProgramName once the catalogue sets it, ""
// before.
extern const char* ProgramCaption;

// Box with a string-table text under SetupCaption, of the caller's type.
int ShowStringMessage(PlatformWindow owner, int32_t id, uint32_t type);
// Box with a string-table text, the system's default title, OK and the warning icon.
int WarnString(PlatformWindow owner, int32_t id);
// Box with a string-table text used as a format for one text argument, captioned with the
// ProgramCaption, of the caller's type.
int ShowFormattedMessage(PlatformWindow owner, int32_t id, const char* argument, uint32_t type);
int WarnFormatted(PlatformWindow owner, int32_t id, const char* argument); // OK, warning
// Formatted boxes that ask: Retry / Cancel and Abort / Retry / Ignore with the warning icon,
// Yes / No with the question icon.
int AskRetryCancel(PlatformWindow owner, int32_t id, const char* argument);
int AskYesNo(PlatformWindow owner, int32_t id, const char* argument);
int AskAbortRetryIgnore(PlatformWindow owner, int32_t id, const char* argument);
// Shows a failure: MsgMissing, MsgReadError and MsgWriteError name ErrorSubject; every other code
// shows its plain text.
void ReportStatus(PlatformWindow owner, StatusCode code);

// Formats string id with one text argument into out (at most size - 1 characters, cut there),
// as the formatted boxes show it. Returns the length written.
size_t FormatMessageText(char* out, size_t size, int32_t id, const char* argument);
