// One target file: its path from a catalogue Name and the uninstaller's name, the existence
// test, the questions asked when a file cannot be created or replaced, and the temporary file a
// target is written as, which takes the target's place only once it is complete. Missing
// directories are made by the walk of directory_walk.h.
#pragma once

#include "base/messages.h"
#include "install/directory_walk.h"
#include "platform/platform.h"

#include <cstddef>

// The path of the target file being placed (its full Windows path), empty when it did not fit.
extern char TargetPath[PathSize];

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

// How the search for the uninstaller's name ended.
enum class UninstallerSlot { Found, TooLong, NoneFree };

// Chooses UninstallerName and TargetPath for the uninstaller entry, whose TargetPath
// BuildTargetPath has just set in directory (ending in a backslash): "uninstal.exe", then
// 'unins1.exe' to 'unins999.exe', the first name that nothing holds or whose uninstaller
// belongs to this package (its data file, same name with ".bin", is a catalogue of this
// ProgramName); an INSV package's uninstaller is ProgramName with ".exe". A name held by
// anything else, readable or not, is never taken. When every name is held, UninstallerName
// becomes empty and MsgNoUninstallerName is shown naming directory (NoneFree); TooLong when
// the path does not fit.
UninstallerSlot NameUninstaller(const char* directory);

// Forgets the uninstaller's name, for a new run.
void ResetUninstallerName();

// A file exists when it can be opened for reading; the handle is closed again at once.
bool FileExists(const char* path);

// The temporary file that the target being written is written as, in the target's own
// directory ('~ds00000.tmp' and on); empty while there is none. At most one exists at a time.
extern char TemporaryPath[PathSize];

// Deletes the temporaries that stopped runs left in directory (a path ending in a backslash):
// each run takes the first free name of '~ds00000.tmp' and on and keeps at most one at a time,
// so while no file is being written every one there is a leftover, and they hold the lowest
// names. Stops at the first free name, or one that cannot be deleted. removed, when given, is
// told each path deleted. Returns how many were deleted.
uint32_t RemoveLeftoverTemporaries(const char* directory, void (*removed)(const char* path));

// Opens a new temporary file beside path for the target's bytes, asking the user while that fails:
// a path where something exists already (looked at before every attempt, whether or not it can be
// read) that cannot be written or replaced gives "%s: Setup cannot replace this file because it is
// write protected." (MsgWriteProtected, Abort / Retry / Ignore); for a new file the missing
// directories are created first when walkFrom allows a walk and the attempt is repeated at once,
// else it gives "%s: write error!" (MsgWriteError, Retry / Cancel). Both name path; owner
// ProgressWindow. An existing file is never opened for writing or changed here. Returns StatusOk
// with *handle open on TemporaryPath; StatusOk with *handle PlatformNoFile after Ignore;
// StatusCancelled after Abort or Cancel.
StatusCode CreateTargetFile(const char* path, int32_t walkFrom, PlatformFile* handle);

// Ends the writing of path: closes *handle (it becomes PlatformNoFile). When result is StatusOk the
// complete temporary replaces path, asking while that fails, naming path: for a file already there
// (one in use, say) "cannot replace" (MsgWriteProtected, Abort / Retry / Ignore), where Ignore
// keeps that file, otherwise "%s: write error!" (MsgWriteError, Retry / Cancel). On any other
// result, Ignore, Abort or Cancel the temporary is deleted and a file already at path stays as it
// was. Returns result (StatusOk after Ignore), or StatusCancelled after Abort or Cancel.
// TemporaryPath is empty afterwards.
StatusCode FinishTargetFile(const char* path, StatusCode result, PlatformFile* handle);

// Refuses a file whose path does not fit a path buffer with message (MsgReadError for a source,
// MsgWriteError for a target) naming subject, Retry / Cancel, as often as the user answers Retry;
// the path is never cut to fit. Returns StatusCancelled when the user gives up.
StatusCode RefuseLongPath(const char* subject, int32_t message);
