// The install sequence: destination, transfer, settings value, program group, closing dialog.
#include "install/win32/install_sequence.h"

#include "base/win32/dialog_runner.h"
#include "graphics/graphics_flags.h"
#include "install/transfer.h"
#include "install/win32/destination_dialog.h"
#include "install/win32/final_dialog.h"
#include "install/win32/program_group_dde.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "resources/resource_ids.h"

StatusCode RunInstallSequence() {
    if (RunModalLoop(DialogDestination, DestinationDialogProc, 0) == IDCANCEL)
        return StatusCancelled;
    StatusCode status = PrepareVolumeReader();
    if (status == StatusOk) status = RunTransfer();
    // The transfer releases both on its way out; this makes them certain on every path.
    ReleaseVolumeReader();
    if (status != StatusOk) return status;
    if (!GraphicsFlagsStored) StoreGraphicsFlags();
    if (!InsvPackage) CreateProgramGroup();
    RunModalLoop(GraphicsFlagsStored ? DialogFinal : DialogFinalFirstInstall, FinalDialogProc, 0);
    return StatusOk;
}
