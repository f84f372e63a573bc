// The transfer: the count, the shared-file and ordinary-file passes, and the uninstaller's
// data file.
#include "install/transfer.h"

#include "base/paths.h"
#include "install/placement.h"
#include "install/plain_copy.h"
#include "install/target_file.h"
#include "install/transfer_screen.h"
#include "package/catalogue.h"
#include "package/volume.h"

char InstallDir[PathSize];
TransferCounts TransferTally;
RecordHandledFunction RecordHandled;

namespace {

bool Transferred(const uint8_t* record) {
    return (RecordFlags(record) & FlagNotInstalled) == 0;
}

bool TransferredShared(const uint8_t* record) {
    return Transferred(record) && RecordIsShared(record);
}
bool TransferredOrdinary(const uint8_t* record) {
    return Transferred(record) && !RecordIsShared(record);
}

void CountDone() {
    ++TransferTally.done;
    UpdateProgress(TransferPercent(TransferTally.done, TransferTally.toTransfer));
}

// Whether the shared record replaces the copy in currentDir: not when that copy's version is
// higher than the record's; yes when there is no copy or its version cannot be read.
bool NewerThanInstalled(const uint8_t* record, const char* currentDir) {
    if (currentDir[0] == '\0') return true;
    char path[PathSize] = {};
    CopyText(path, PathSize, currentDir);
    if (!AppendBackslash(path, PathSize) || !AppendText(path, PathSize, RecordName(record)))
        return true;
    uint32_t installedMs = 0, installedLs = 0, ms = 0, ls = 0;
    if (!PlatformFileVersion(path, &installedMs, &installedLs)) return true;
    RecordVersion(record, &ms, &ls);
    if (ms != installedMs) return ms > installedMs;
    return ls >= installedLs;
}

// Asks the version service where the shared record belongs and whether to install it, asking
// Retry / Cancel while the installed copy is in use. Fills destination (ending in a
// backslash, or empty). Returns 0 or 2; *install tells the decision.
StatusCode QuerySharedFile(const uint8_t* record, char* destination, bool* install) {
    const char* name = RecordName(record);
    for (;;) {
        char windows[PathSize] = {};
        char current[PathSize] = {};
        destination[0] = '\0';
        PlatformWindowsDirectory(windows, PathSize);
        uint32_t flags = PlatformFindSharedFile(name, windows, InstallDir, current, PathSize,
                                                destination, PathSize);
        *install = NewerThanInstalled(record, current);
        if (!*install || flags != SharedFileInUse) break;
        if (AskRetryCancel(ProgressWindow, MsgInUse, name) != AnswerRetry) return StatusCancelled;
    }
    AppendBackslash(destination, PathSize);
    return StatusOk;
}

StatusCode PlaceSharedFile(const uint8_t* record) {
    char destination[PathSize] = {};
    bool install = false;
    StatusCode result = QuerySharedFile(record, destination, &install);
    if (!install) ++TransferTally.sharedSkipped;
    if (result != StatusOk || !install) return result;
    if (SameTextIgnoringCase(RecordName(record), UnplacedDriverName)) {
        ++TransferTally.unplaced;
        return StatusOk;
    }
    return PlaceFile(record, destination[0] ? destination : InstallDir);
}

StatusCode PlaceOrdinaryFile(const uint8_t* record) {
    return PlaceFile(record, InstallDir);
}

// Asks for disk 1 until its catalogue can be opened. False when the user cancels.
bool AskForFirstDisk() {
    char path[PathSize] = {};
    if (!AppendText(path, PathSize, SetupDir) || !AppendText(path, PathSize, CatalogueName))
        return false;
    CurrentDisk = 1;
    for (;;) {
        if (PromptForDisk(ProgressWindow) != 0) return false;
        if (FileExists(path)) return true;
    }
}

// Copies the catalogue beside the uninstaller as its data file (its name with ".bin"),
// bringing disk 1 back first when another disk is in the drive.
StatusCode CopyUninstallerData() {
    StatusCode result = StatusOk;
    if (ReplaceExtension(UninstallerName, PathSize, ".bin")) {
        ShowTransferName(UninstallerName);
        bool diskReady = CurrentDisk == 1 || AskForFirstDisk();
        if (diskReady) result = CopyPlainFile(UninstallerName, CatalogueName, InstallDir);
    }
    ReplaceExtension(UninstallerName, PathSize, ".exe");
    return result;
}

} // namespace

void StartTransferTally(RecordFilter wanted) {
    TransferTally = TransferCounts{};
    const uint8_t* record = FirstRecord();
    for (uint16_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record))
        if (wanted(record)) {
            ++TransferTally.toTransfer;
            TransferTally.bytesToTransfer += RecordSizeKb(record) * 1024u;
        }
}

StatusCode RunRecordPass(RecordFilter wanted, RecordPlacer place) {
    StatusCode result = StatusOk;
    const uint8_t* record = FirstRecord();
    for (uint16_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record)) {
        if (result != StatusOk || PumpTransferMessages() != 0) break;
        if (!wanted(record)) continue;
        TransferTally.bytesOfCurrent = RecordSizeKb(record) * 1024u;
        ShowTransferName(RecordName(record));
        result = place(record);
        if (result != StatusOk) ++TransferTally.failed;
        if (RecordHandled) RecordHandled(record);
        TransferTally.bytesDone += TransferTally.bytesOfCurrent;
        TransferTally.bytesOfCurrent = 0;
        CountDone();
    }
    return result;
}

int TransferPercent(uint32_t done, uint32_t total) {
    return total == 0 ? 100 : static_cast<int>(done * 100u / total);
}

int TransferBytePercent(uint64_t written) {
    const TransferCounts& t = TransferTally;
    if (t.bytesToTransfer == 0) return 100;
    uint64_t done = t.bytesDone + (written < t.bytesOfCurrent ? written : t.bytesOfCurrent);
    return static_cast<int>(done * 100 / t.bytesToTransfer);
}

StatusCode RunTransfer() {
    StartTransferTally(&Transferred);
    if (TransferTally.toTransfer == 0) return StatusOk;
    if (!BeginTransferScreen()) return MsgWindowProblem;
    UpdateProgress(0);
    StatusCode result = RunRecordPass(&TransferredShared, &PlaceSharedFile);
    if (result == StatusOk) result = RunRecordPass(&TransferredOrdinary, &PlaceOrdinaryFile);
    ReleaseVolumeReader();
    // The uninstaller needs its data file whenever it was placed, also when a later file
    // failed: without it the next run would take it for another package's and place a second
    // one beside it, and the partial installation could not be removed.
    if (UninstallerName[0] != '\0') {
        StatusCode copied = CopyUninstallerData();
        if (result == StatusOk) result = copied;
    }
    int32_t halt = TransferDialogResult();
    EndTransferScreen();
    if (result != StatusOk) return result;
    return halt;
}
