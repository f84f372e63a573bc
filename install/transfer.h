// The transfer: every file of the package into place, shared files first, then the
// uninstaller's data file.
#pragma once

#include "base/messages.h"

#include <cstdint>

// The destination directory of ordinary files, ending in a backslash: chosen in the
// destination dialog (or given to the disksetup command) before the transfer.
extern char InstallDir[PathSize];

// The catalogue Name of a driver that goes through the shared-file query but is never placed,
// and that the removal keeps: other applications use it.
constexpr char UnplacedDriverName[] = "dva.386";

// Files of the current run, for progress and the summary of the disksetup command.
struct TransferCounts {
    uint32_t toTransfer;    // records whose Flags bit 0 is clear
    uint32_t done;          // records handled in either pass
    uint32_t sharedSkipped; // shared files left alone because the installed copy is newer
    uint32_t unplaced;      // records named "dva.386": queried, never placed
    uint32_t failed;        // records whose handling ended in failure (the pass stops there)
    uint64_t placedBytes;   // bytes of the files moved into place; discarded temporaries not
    bool uninstallerPlaced; // the uninstaller entry's file was moved into place
    // Expanded bytes as the catalogue gives them (SizeKb x 1024), for a progress in bytes:
    uint64_t bytesToTransfer; // of the records to transfer
    uint64_t bytesDone;       // of the records handled
    uint64_t bytesOfCurrent;  // of the record being handled
};
extern TransferCounts TransferTally;

// Installs every record whose Flags bit 0 is clear, in catalogue order: pass 1 the shared files
// (where the platform's version service recommends, unless the copy already there is newer;
// "%s in use! ..." (MsgInUse) Retry / Cancel for a copy in use), pass 2 the ordinary files below
// InstallDir. Pending messages are handled before each record, so a halt stops the passes
// there. Then closes the Volume and releases InputBuffer, asks for disk 1 again when another
// disk is in the drive, and copies the catalogue beside the uninstaller as its data file
// whenever the uninstaller was placed in this run, also after a halt or a failure.
// UninstallerName ends in ".exe" again.
// Preconditions: catalogue loaded, InstallDir set, InputBuffer allocated, no Volume open,
// CurrentDisk 1.
// Returns StatusOk; MsgWindowProblem when the progress display cannot be created; else the first
// failing step's status, or DialogResult after a halt.
StatusCode RunTransfer();

// Which records a pass handles, and how it places one (returning its status).
typedef bool (*RecordFilter)(const uint8_t* record);
typedef StatusCode (*RecordPlacer)(const uint8_t* record);
// Called after each record a pass handled, with TransferTally counting it, when set: lets a
// caller report each file's result. Null by default.
typedef void (*RecordHandledFunction)(const uint8_t* record);
extern RecordHandledFunction RecordHandled;
// Starts TransferTally afresh for a run over the records that wanted accepts.
void StartTransferTally(RecordFilter wanted);
// One pass over all records in catalogue order, placing those that wanted accepts: handles
// pending messages before each record and stops there when the user asked to halt; shows the
// record's name, places it, tells RecordHandled, counts it done and updates the progress; stops
// after the first record whose placing fails (counted in TransferTally.failed). Returns that
// status, else StatusOk (also after a halt).
StatusCode RunRecordPass(RecordFilter wanted, RecordPlacer place);

// The percentage after done of total records: done × 100 / total in unsigned 32-bit
// arithmetic, truncated.
int TransferPercent(uint32_t done, uint32_t total);
// The percentage of TransferTally's bytes after written bytes of the record being handled
// (counted up to its catalogue size): 100 when there are none to transfer, truncated.
int TransferBytePercent(uint64_t written);
