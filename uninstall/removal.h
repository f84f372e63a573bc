// The removal: what an installation of the loaded catalogue placed in the uninstaller's own
// directory is deleted again, with the directories that this leaves empty.
//
// The uninstaller's data file is the catalogue, loaded by LoadCatalogue beside the running
// uninstaller (its own path with ".bin"); SetupDir is then the uninstaller's own directory,
// which is the InstallDir the package was installed into.
#pragma once

#include "base/messages.h"

#include <cstdint>

// What became of one file or directory; each program reports it in its own way
// (NoteRemoval below).
enum RemovalEvent : int {
    RemovedFile,      // deleted
    RemovedDirectory, // emptied by the removal, and removed
    MissingFile,      // was not there: nothing to delete
    KeptShared,       // a shared file, which other applications may use
    KeptDriver,       // "dva.386", the graphics driver other applications use
    KeptUnsafeName,   // a name that could lead outside the package's own places: refused
    KeptLongPath,     // a name whose path would not fit 259 characters: refused
    KeptUndeletable,  // could not be deleted, and the user chose Ignore
};

// Counts of the current run, for the closing summary.
struct RemovalCounts {
    uint32_t toHandle; // installed records (Flags bit 0 clear)
    uint32_t done;     // records handled
    uint32_t removed;  // files deleted
    uint32_t directories;
    uint32_t missing;
    uint32_t kept; // files left on purpose or after Ignore
};
extern RemovalCounts RemovalTally;

// The string id of the line that names a kept file with its reason ("%s (shared with other
// applications)"), or 0 for an event that keeps nothing.
int32_t KeptReasonText(RemovalEvent event);

// Each program links its own version: the closing box of the uninstaller, the printed lines
// of the disksetup command. subject is a full path, or a catalogue Name for a shared file,
// the driver and a refused name.
void NoteRemoval(RemovalEvent event, const char* subject);

// Asks "Remove <Title> and all of its components?" (Yes / No), captioned with the Title.
// True for Yes.
bool ConfirmRemoval(PlatformWindow owner);

// Deletes the file of every installed record, in catalogue order, through the transfer's
// screen (progress, and a halt honoured before each record): each Name becomes its path as
// placement makes it below SetupDir. Never touched: records never installed; shared files and
// "dva.386" (kept); the uninstaller entry and any name that is the running uninstaller or its
// data file (removed last by the caller); a Name that could reach beyond its place (kept): '.' or
// '..' components, empty components, a UNC or drive-relative form, '/', wildcards or control
// characters, device names (CON, NUL, COM1, ...); and a path that would not fit (kept). A file that
// is not there is noted missing. A file that cannot be deleted asks "%s cannot be removed: ..."
// (Abort / Retry / Ignore, owner ProgressWindow). After each deletion the directories it leaves
// empty (but for temporaries a stopped installation left, deleted first) are removed, upward
// to, not including, SetupDir. Returns StatusOk; StatusCancelled after Abort or a halt;
// MsgWindowProblem when the progress display cannot be created.
StatusCode RemoveInstalledFiles();

// Deletes one file of the uninstaller's own (its data file, or the uninstaller itself where
// it can be deleted), asking as RemoveInstalledFiles does when it cannot be deleted, and notes
// it. Returns StatusOk (also after Ignore), or StatusCancelled after Abort.
StatusCode RemoveOwnFile(const char* path);

// The uninstaller's own directory as a directory text without its trailing backslash, into
// directory (PathSize bytes): SetupDir, unless that is the Windows directory or a drive root,
// which are never removed. False when it is one of those.
bool OwnDirectoryToRemove(char* directory);
// Removes SetupDir (OwnDirectoryToRemove) when the removal has left it empty but for the
// temporaries a stopped installation left there, which are deleted and noted first. True when it
// was removed (and noted).
bool RemoveOwnDirectory();
