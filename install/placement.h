// File placement: one catalogue record becomes one file on disk, expanded from the volumes.
#pragma once

#include "base/messages.h"

#include <cstdint>

// The uninstaller's file name, without directory: empty until the uninstaller entry is placed
// in this run, then kept ('uninstal.exe', 'unins12.exe', or ProgramName with ".exe" for an
// INSV package).
extern char UninstallerName[PathSize];

// Sets TargetPath from a catalogue Name and a directory (ending in a backslash) as placement
// does: a name with a leading backslash keeps only the directory's drive, one with a drive
// letter has that letter replaced by the directory's drive, any other lies below directory.
// *uninstaller tells whether the name is the uninstaller entry ("uninstal.exe" in any case,
// directly in directory), whose file name the uninstaller naming chooses instead. False, with
// TargetPath unusable, when the path does not fit.
bool BuildTargetPath(const char* name, const char* directory, bool* uninstaller);

// Places record (inside the loaded catalogue) below directory (ending in a backslash): works out
// TargetPath from the record's Name (a leading backslash or a drive letter keeps only the
// directory's drive), names the uninstaller, creates the file with its missing directories, and
// expands the record's stored stream into it through the volume reader and the output writer.
// Returns StatusOk when placed, or when the user chose Ignore for a file that cannot be replaced
// (the file is left as it was); StatusCancelled when the user aborted or cancelled, or the
// expansion failed (its message shown); MsgNoMemory when the output buffer cannot be had (no
// message). The file is expanded into a temporary beside it that takes its place only when
// complete: a stop at any point leaves no temporary, and an existing file exactly as it was. A
// target path longer than 259 characters is never cut: it is refused as a write error
// (MsgWriteError, Retry / Cancel). Always releases the output buffer and closes the file.
StatusCode PlaceFile(const uint8_t* record, const char* directory);

// Places record at the full path given, exactly as PlaceFile does after working out its path:
// missing directories are created from the root, and the same prompts and results apply.
// Used to extract a package's files as they are named, without an installation's rules.
StatusCode PlaceFileAt(const uint8_t* record, const char* path);

// Forgets the uninstaller's name, for a new run.
void ResetUninstallerName();
