// The answers that disksetup install and extract give to the engine's message boxes.
#include "cli/install_answers.h"

#include "cli/cli.h"
#include "cli/disks.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"

#include <unistd.h>

namespace {

struct AnswerState {
    DiskFolders folders;
    bool yes = false;
    unsigned lastDisk = 0; // the disk of the last prompt answered OK
    BoxAnswerLog log;
};
AnswerState State;

int AnswerTransferDiskPrompt() {
    State.log.anyBox = true;
    std::string problem;
    int answer = AnswerDiskPrompt(State.folders, &State.lastDisk, &problem);
    if (!problem.empty()) {
        PrintError(problem);
        State.log.diskMissing = true;
    }
    return answer;
}

// The answer --yes gives to a box of this type.
int RuleAnswer(uint32_t type) {
    switch (type & 0x0F) {
    case BoxAbortRetryIgnore: return AnswerIgnore;
    case BoxYesNo: return AnswerYes;
    case BoxOk: return AnswerOk;
    default: return AnswerCancel;
    }
}

// The answer when nobody can be asked: give up.
int RefusedAnswer(uint32_t type) {
    switch (type & 0x0F) {
    case BoxOk: return AnswerOk;
    case BoxAbortRetryIgnore: return AnswerAbort;
    case BoxYesNo: return AnswerNo;
    default: return AnswerCancel;
    }
}

int AnswerBox(PlatformWindow, const char* text, const char* caption, uint32_t type) {
    // The disk prompt, for CurrentDisk, is the only question of the transfer with OK and Cancel.
    if ((type & 0x0F) == BoxOkCancel) return AnswerTransferDiskPrompt();
    State.log.anyBox = true;
    int answer;
    bool shown = false;
    if (State.yes) {
        answer = RuleAnswer(type);
    } else if (isatty(STDIN_FILENO)) {
        answer = PosixTerminalPrompter(text, caption, type);
        shown = true;
    } else {
        answer = RefusedAnswer(type);
    }
    if (answer == AnswerIgnore) ++State.log.ignored;
    // A warning with only OK (a read error naming the record) that nobody saw is printed too.
    bool unseenWarning = (type & 0x0F) == BoxOk && !shown;
    if (answer == AnswerCancel || answer == AnswerAbort || answer == AnswerNo || unseenWarning)
        State.log.failures.push_back(EscapeName(text) + OverrunContext());
    return answer;
}

} // namespace

int OpenPackageDisks(const std::string& path, const std::vector<std::string>& disks,
                     DiskFolders* folders) {
    OpenedPackage package;
    int code = OpenPackage(path, &package);
    if (code != ExitOk) return code;
    *folders = DiskFolders{package.diskDirectory, {}};
    for (const std::string& given : disks) {
        std::string problem = AddDiskOption(given, folders);
        if (!problem.empty()) {
            PrintError(problem);
            return ExitUsage;
        }
    }
    return ExitOk;
}

void StartBoxAnswers(const DiskFolders& folders, bool yes) {
    State = AnswerState();
    State.folders = folders;
    State.yes = yes;
    PlatformSetMessageBoxHook(&AnswerBox);
}

void StopBoxAnswers() {
    PlatformSetMessageBoxHook(nullptr);
}

BoxAnswerLog& BoxAnswers() {
    return State.log;
}

int ReportTransferStop(int status) {
    if (status == StatusCancelled && !State.log.anyBox && CurrentRecord != nullptr)
        PrintError(EscapeName(RecordName(CurrentRecord)) +
                   ": the stored stream ends inside its 4-byte size");
    for (const std::string& text : State.log.failures)
        PrintError(text);
    if (status == StatusOk) return ExitOk;
    return State.log.diskMissing ? ExitBadInput : ExitFailed;
}
