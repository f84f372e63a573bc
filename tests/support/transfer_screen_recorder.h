// The test version of the transfer's screen procedures: records every call and lets a test
// refuse the display or request a halt between files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TransferScreenLog {
    int begins = 0;
    int ends = 0;
    std::vector<std::string> names; // ShowTransferName, in order
    std::vector<int> percents;      // UpdateProgress, in order
    int pumps = 0;                  // PumpTransferMessages calls
    int32_t dialogResult = 0;
    // Set by the test:
    bool refuseBegin = false; // BeginTransferScreen fails
    int haltAtPump = -1;      // the pump with this number (from 1) sets DialogResult 2
};

// The log of the running test; ResetTransferScreen clears it (tests start with it).
TransferScreenLog& TransferScreen();
void ResetTransferScreen();
