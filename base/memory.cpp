// AllocLocked and FreeLocked over the platform's global memory, with a count of live blocks.
#include "base/memory.h"

namespace {
int32_t BlocksInUse = 0;
}

void* AllocLocked(uint32_t size, PlatformMemory* handle) {
    void* block = PlatformGlobalAlloc(size, handle);
    if (block != nullptr) ++BlocksInUse;
    return block;
}

void FreeLocked(PlatformMemory* handle) {
    if (*handle == nullptr) return;
    PlatformGlobalFree(*handle);
    *handle = nullptr;
    --BlocksInUse;
}

int32_t LockedBlocksInUse() {
    return BlocksInUse;
}
