// The uninstaller's closing box: what was removed and what was kept, gathered while the
// removal reports each file (UNINSTAL.EXE's NoteRemoval).
#pragma once

// Notes how the uninstaller itself goes: at the next restart (scheduled), or not at all, when
// the user is told to delete self.
void NoteSelf(const char* self, bool scheduled);

// Shows, captioned with the Title: that the application was removed (complete) or that the
// removal was stopped, the number of files removed, each file kept with the reason, and how
// the uninstaller itself goes.
void ShowClosingBox(bool complete);
