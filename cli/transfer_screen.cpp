// The transfer's screen in the disksetup command: a progress bar on a terminal, in bytes of
// the expanded files where the run expands any (in files otherwise), nothing off a terminal; Ctrl-C
// asks for a halt, which the transfer honours before the next file. A signal that ends the command
// deletes the unfinished file first.
#include "install/transfer_screen.h"

#include "cli/cli.h"
#include "install/transfer.h"
#include "lzhuf/output_writer.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include <csignal>
#include <cstdio>
#include <string>

namespace {

volatile std::sig_atomic_t HaltRequested = 0;
int32_t DialogResult = 0;
bool OnTerminal = false;
int Percent = 0;
std::string Name;

// The first Ctrl-C asks for a halt after the file being expanded; a second one ends the
// command at once.
void OnInterrupt(int) {
    if (HaltRequested) {
        PosixRemoveUnfinishedFile();
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
    HaltRequested = 1;
}

// A termination or hang-up ends the command at once, without the file being expanded.
void OnTermination(int number) {
    PosixRemoveUnfinishedFile();
    std::signal(number, SIG_DFL);
    std::raise(number);
}

constexpr int EndingSignals[] = {SIGTERM, SIGHUP};

bool Drawn = false; // the bar is on the terminal's current line

// The terminal's width in columns (80 when it does not say).
int Columns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

// One line, redrawn in place and never wider than the terminal:
// "[#########...........]  45%  NAME", the name shortened from the left to fit.
void Draw() {
    if (!OnTerminal) return;
    int columns = Columns();
    int width = std::clamp(columns / 3, 10, 30);
    int filled = Percent * width / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(width - filled), '.');
    size_t room = static_cast<size_t>(std::max(columns - width - 10, 0));
    std::string shown = Name;
    if (shown.size() > room)
        shown = room > 3 ? "..." + shown.substr(shown.size() - (room - 3)) : std::string();
    std::fprintf(stderr, "\r[%s] %3d%%  %-*s", bar.c_str(), Percent, static_cast<int>(room),
                 shown.c_str());
    std::fflush(stderr);
    Drawn = true;
}

// While a file is expanded: its bytes so far, redrawn when the percentage moves.
void OnOutputWritten() {
    int percent = TransferBytePercent(OutputWritten);
    if (percent == Percent) return;
    Percent = percent;
    Draw();
}

} // namespace

void ClearProgressLine() {
    if (!Drawn) return;
    std::fprintf(stderr, "\r%*s\r", Columns() - 1, "");
    std::fflush(stderr);
    Drawn = false;
}

bool BeginTransferScreen() {
    DialogResult = 0;
    HaltRequested = 0;
    OnTerminal = isatty(STDERR_FILENO) != 0 && !Quiet;
    ProgressWindow = nullptr;
    if (OnTerminal) OutputProgress = &OnOutputWritten;
    std::signal(SIGINT, OnInterrupt);
    for (int number : EndingSignals)
        std::signal(number, OnTermination);
    return true;
}

void ShowTransferName(const char* name) {
    Name = EscapeName(name);
    Draw();
}

// The transfer counts in files; where its records hold bytes, the bar counts those instead
// (the removal, which expands nothing, keeps the count of files).
void UpdateProgress(int percent) {
    Percent = OutputProgress != nullptr && TransferTally.bytesToTransfer != 0
                  ? TransferBytePercent(0)
                  : percent;
    Draw();
}

int32_t PumpTransferMessages() {
    if (HaltRequested && DialogResult == 0) {
        DialogResult = 2;
        PrintError("halted at your request; the work is incomplete");
    }
    return DialogResult;
}

int32_t TransferDialogResult() {
    return DialogResult;
}

void EndTransferScreen() {
    ClearProgressLine();
    OutputProgress = nullptr;
    std::signal(SIGINT, SIG_DFL);
    for (int number : EndingSignals)
        std::signal(number, SIG_DFL);
}
