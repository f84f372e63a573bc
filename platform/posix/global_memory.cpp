// Global memory on POSIX hosts: zero-filled blocks from the C heap.
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

#include <cstdlib>

void* PlatformGlobalAlloc(uint32_t size, PlatformMemory* handle) {
    *handle = nullptr;
    if (size == 0 || FaultStrikes(PosixFaultPlan().failAllocAfter)) return nullptr;
    void* block = std::calloc(1, size);
    *handle = block;
    return block;
}

void PlatformGlobalFree(PlatformMemory handle) {
    std::free(handle);
}
