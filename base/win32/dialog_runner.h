// The dialog runner: every dialog is a modeless child of the backdrop, run by a loop of the
// program's own until the shared word DialogResult becomes non-zero.
#pragma once

#include <windows.h>

#include <cstdint>

// 0 while the running dialog goes on; any other value ends it and is its result: IDOK, IDCANCEL
// for cancel, quit or the backdrop's close command, ItemMenuInstall and ItemMenuGraphicsDriver
// the main-menu choices.
extern int32_t DialogResult;

// Where the centre of the next dialog goes, in client coordinates of the backdrop.
struct DialogPoint {
    int32_t x;
    int32_t y;
};
extern DialogPoint DialogAnchor;

// Creates dialog templateId from the program's resources as a child of the backdrop with
// procedure and parameter, and runs it until DialogResult is non-zero (tested before every
// wait, so a dialog that ends during its initialisation never waits). A quit message, or a
// failing message queue, ends it with IDCANCEL. Destroys the dialog and returns the result,
// never 0; IDCANCEL when the dialog cannot be created.
int32_t RunModalLoop(uint16_t templateId, DLGPROC procedure, LPARAM parameter);

// Handles at most 20 pending messages without waiting, with dialog's keyboard handling; a quit
// message sets DialogResult to IDCANCEL. Returns DialogResult afterwards. Called between steps of
// long work so that Cancel and the backdrop's close command take effect.
int32_t PumpPending(HWND dialog);

// Moves dialog so its centre is on DialogAnchor, pulled back inside the backdrop's client
// area (the top-left edge wins for a dialog larger than it). Also posts
// WM_NCACTIVATE so the caption shows in the active colours.
void PlaceDialog(HWND dialog);

// Ends the running dialog through one of its commands: records its anchor, then sets
// DialogResult to command.
void EndDialogWith(HWND dialog, int32_t command);
