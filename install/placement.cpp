// File placement: one record expanded into its target file, created beside and put in place.
#include "install/placement.h"

#include "base/memory.h"
#include "base/paths.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "lzhuf/decoder.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "package/volume.h"

#include <cstring>

namespace {

// Primes the reader and the writer for record and expands it into the open file.
StatusCode Expand(const uint8_t* record, uint8_t* buffer, PlatformFile file) {
    StartRecordStream(record);
    return ExpandInto({buffer, file, nullptr}, TargetPath);
}

// Expands record into a temporary beside TargetPath (empty: the path did not fit, and the file
// is refused), which replaces TargetPath only when the whole stream has been written; on
// every other path it is deleted and an existing file stays as it was. Releases the buffer
// and closes the file on every path. *placed tells whether the file was moved into place,
// whose bytes the transfer's tally then counts.
StatusCode ExpandRecord(const uint8_t* record, int32_t walk, bool* placed) {
    *placed = false;
    PlatformMemory bufferHandle = nullptr;
    uint8_t* buffer = static_cast<uint8_t*>(AllocLocked(OutputBufferSize, &bufferHandle));
    if (buffer == nullptr) return MsgNoMemory;
    StatusCode result;
    PlatformFile file = PlatformNoFile;
    if (TargetPath[0] == '\0') {
        result = RefuseLongPath(RecordName(record), MsgWriteError);
    } else {
        result = CreateTargetFile(TargetPath, walk, &file);
        bool created = result == StatusOk && file != PlatformNoFile;
        if (created) result = Expand(record, buffer, file);
        result = FinishTargetFile(TargetPath, result, &file);
        *placed = created && result == StatusOk;
        if (*placed) TransferTally.placedBytes += OutputWritten;
    }
    FreeLocked(&bufferHandle);
    return result;
}

} // namespace

StatusCode PlaceFile(const uint8_t* record, const char* directory) {
    const char* name = RecordName(record);
    bool uninstaller = false;
    bool fits = BuildTargetPath(name, directory, &uninstaller);
    if (fits && uninstaller) {
        UninstallerSlot slot = NameUninstaller(directory);
        if (slot == UninstallerSlot::NoneFree) return StatusOk;
        fits = slot == UninstallerSlot::Found;
    }
    if (!fits) TargetPath[0] = '\0';
    bool placed = false;
    StatusCode result =
        ExpandRecord(record, std::strchr(name, '\\') ? WalkFromRoot : WalkNever, &placed);
    if (placed && uninstaller) TransferTally.uninstallerPlaced = true;
    return result;
}

StatusCode PlaceFileAt(const uint8_t* record, const char* path) {
    if (!CopyText(TargetPath, PathSize, path)) TargetPath[0] = '\0';
    bool placed = false;
    return ExpandRecord(record, WalkFromRoot, &placed);
}
