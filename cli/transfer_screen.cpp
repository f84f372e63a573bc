// The transfer's screen in the disksetup command: a progress bar on a terminal, nothing
// otherwise; Ctrl-C asks for a halt, which the transfer honours before the next file. A
// signal that ends the command deletes the unfinished file first.
#include "install/transfer_screen.h"

#include "cli/cli.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"

#include <unistd.h>

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

// One line, redrawn in place: "[#########...........]  45%  NAME".
void Draw() {
    if (!OnTerminal) return;
    constexpr int width = 30;
    int filled = Percent * width / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(width - filled), '.');
    std::string shown = Name.size() > 40 ? "..." + Name.substr(Name.size() - 37) : Name;
    std::fprintf(stderr, "\r[%s] %3d%%  %-40s", bar.c_str(), Percent, shown.c_str());
    std::fflush(stderr);
}

} // namespace

bool BeginTransferScreen() {
    DialogResult = 0;
    HaltRequested = 0;
    OnTerminal = isatty(STDERR_FILENO) != 0;
    ProgressWindow = nullptr;
    std::signal(SIGINT, OnInterrupt);
    for (int number : EndingSignals)
        std::signal(number, OnTermination);
    return true;
}

void ShowTransferName(const char* name) {
    Name = EscapeName(name);
    Draw();
}

void UpdateProgress(int percent) {
    Percent = percent;
    Draw();
}

int32_t PumpTransferMessages() {
    if (HaltRequested && DialogResult == 0) {
        DialogResult = 2;
        if (OnTerminal) std::fprintf(stderr, "\n");
        PrintError("halted at your request; the work is incomplete");
    }
    return DialogResult;
}

int32_t TransferDialogResult() {
    return DialogResult;
}

void EndTransferScreen() {
    if (OnTerminal) std::fprintf(stderr, "\n");
    std::signal(SIGINT, SIG_DFL);
    for (int number : EndingSignals)
        std::signal(number, SIG_DFL);
}
