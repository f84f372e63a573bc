// The test version of the transfer's screen procedures.
#include "tests/support/transfer_screen_recorder.h"

#include "install/transfer_screen.h"
#include "package/volume.h"

namespace {
TransferScreenLog Log;
int OwnerToken; // stands for the progress dialog as the owner of message boxes
} // namespace

TransferScreenLog& TransferScreen() {
    return Log;
}
void ResetTransferScreen() {
    Log = TransferScreenLog();
}

bool BeginTransferScreen() {
    ++Log.begins;
    Log.dialogResult = 0;
    if (Log.refuseBegin) return false;
    ProgressWindow = &OwnerToken;
    return true;
}

void ShowTransferName(const char* name) {
    Log.names.push_back(name);
}
void UpdateProgress(int percent) {
    Log.percents.push_back(percent);
}

int32_t PumpTransferMessages() {
    if (++Log.pumps == Log.haltAtPump) Log.dialogResult = 2;
    return Log.dialogResult;
}

int32_t TransferDialogResult() {
    return Log.dialogResult;
}

void EndTransferScreen() {
    ++Log.ends;
    ProgressWindow = nullptr;
}
