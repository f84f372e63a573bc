// The install sequence. The installation is not built yet: this placeholder does nothing and
// reports success, so the main menu's install choice simply ends the program.
#include "install/win32/install_sequence.h"

StatusCode RunInstallSequence() {
    return StatusOk;
}
