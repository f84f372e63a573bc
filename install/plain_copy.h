// The plain copy: one file from the setup directory to the destination, byte for byte.
#pragma once

#include "base/messages.h"
#include "platform/platform.h"

#include <cstdint>

constexpr uint32_t CopyBufferSize = 32768; // bytes per chunk

// Copies SetupDir + sourceName to directory + targetName (targetName may hold subdirectories, which
// are created when missing; directory ends in a backslash and must exist). Read failures ask
// "%s: read error!" (MsgReadError) for the source, create and write failures MsgWriteProtected or
// MsgWriteError for the target, as file placement does; owner ProgressWindow. The copy is written
// as a temporary beside the target that takes its place only when complete, so a stop leaves an
// existing target exactly as it was and no temporary behind. Returns StatusOk when copied, or after
// Ignore for a target that cannot be replaced; StatusCancelled after Cancel or Abort; MsgNoMemory
// when the copy buffer cannot be had (no message; no target is touched, since the buffer is taken
// before the target is created). A path longer than 259 characters is never cut: the source is
// refused as a read error, the target as a write error.
StatusCode CopyPlainFile(const char* targetName, const char* sourceName, const char* directory);
