// Fuzz target: any bytes as a stored stream (4-byte size + LZHUF bits), expanded in memory.
#include "fuzz/fuzz_support.h"

#include "lzhuf/decoder.h"
#include "package/volume.h"

#include <cstring>

namespace {

uint8_t Buffer[OutputBufferSize];
uint64_t Produced;

int32_t CountingSink(const uint8_t*, uint32_t count) {
    Produced += count;
    return static_cast<int32_t>(count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzAnswerBoxes();
    // The size the 4-byte prefix claims, when the input holds one.
    uint32_t claimed = 0;
    if (size >= 4) {
        std::memcpy(&claimed, data, 4);
        // A claimed size far beyond what the bits could hold only makes the run slow: the
        // rest would decode from zero bits. Keep the fuzzer's time on the code paths.
        if (claimed > 64 * size + 65536) return 0;
    }
    StartMemoryStream(data, static_cast<uint32_t>(size), "fuzz input");
    Produced = 0;
    StatusCode status = ExpandInto({Buffer, PlatformNoFile, CountingSink}, "fuzz output");
    // A stream whose size could be read and whose codes held yields exactly that size; one
    // that ran past its data never more.
    if (size >= 4) {
        if (status == StatusOk && Produced != claimed) __builtin_trap();
        if (StreamOverrun() && Produced > claimed) __builtin_trap();
    }
    return 0;
}
