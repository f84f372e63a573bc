// Drive C: of the disksetup commands that work on an installed system: a host directory given
// with --root, or a Wine prefix's drive_c.
#pragma once

#include <string>

// Maps drive C: to root (with create, made when missing, with its WINDOWS\SYSTEM, an existing
// one reused in whatever letter case it has; without, it must exist) or to the drive_c of
// winePrefix (default $WINEPREFIX, then ~/.wine), and sets the Windows directory ('C:\windows'
// where it exists in that case, else 'C:\WINDOWS') and the system directory where shared
// files go. Puts the host directory of drive C: into *driveC and returns ExitOk, or prints why
// there is none and returns the exit code: ExitBadInput for a root or prefix that is not
// there, ExitFailed for one that cannot be made.
int MapSystemDrive(const std::string& root, const std::string& winePrefix, bool create,
                   std::string* driveC);
