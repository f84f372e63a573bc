// Where the transfer touches the screen. Each program links its own version of these
// procedures: SETUP.EXE the progress dialog, the disksetup command a terminal progress bar,
// the tests a recorder. The engine holds no definition.
#pragma once

#include <cstdint>

// Sets DialogResult to 0 and shows the progress display; ProgressWindow becomes its owner
// window for message boxes. False when it cannot be created.
bool BeginTransferScreen();
// Shows the name of the file being handled (a catalogue Name or the uninstaller data file).
void ShowTransferName(const char* name);
// Shows percent (0 to 100) at once.
void UpdateProgress(int percent);
// Handles what is pending (at most a handful of messages; the halt question runs in here) and
// returns DialogResult: non-zero when the user asked to halt.
int32_t PumpTransferMessages();
// DialogResult as it stands, without handling anything.
int32_t TransferDialogResult();
// Removes the progress display; ProgressWindow becomes null.
void EndTransferScreen();
