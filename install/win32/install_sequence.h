// The install sequence: destination, transfer, settings, program group and closing dialog.
#pragma once

#include "base/messages.h"

// Runs a whole installation from the destination dialog to the closing dialog. Returns StatusOk,
// StatusCancelled when the user cancelled, or the status of the step that failed; a failure already
// shown to the user is not shown again by the caller, except MsgWindowProblem and MsgNoMemory,
// which nothing has shown.
StatusCode RunInstallSequence();
