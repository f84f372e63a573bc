// Faults injected into the POSIX platform's calls for the tests: each armed counter strikes
// once, at the call it counts down to.
#include "platform/posix/posix_internal.h"
#include "platform/posix/posix_platform.h"

namespace {

PosixFaults Faults;

} // namespace

PosixFaults& PosixFaultPlan() {
    return Faults;
}
void PosixClearFaults() {
    Faults = PosixFaults();
}

bool FaultStrikes(int32_t& after) {
    if (after < 0) return false;
    if (after > 0) {
        --after;
        return false;
    }
    after = -1;
    return true;
}
