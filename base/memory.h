// The helpers through which every large buffer of the program is obtained and released, and
// the count of blocks still held that the leak checks read.
#pragma once

#include "platform/platform.h"

#include <cstdint>

// A locked, zero-filled block of size bytes; its handle goes to *handle. Returns null (and
// stores null) when the block cannot be had; a block of 0 bytes cannot be locked either.
void* AllocLocked(uint32_t size, PlatformMemory* handle);
// Releases the block whose handle *handle holds and clears *handle; harmless when it is null.
void FreeLocked(PlatformMemory* handle);
// Blocks from AllocLocked not yet released, for the leak checks of the tests.
int32_t LockedBlocksInUse();
