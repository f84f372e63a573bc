// The answers that the disksetup command gives to the engine's message boxes and disk prompts.
#include "cli/box_answers.h"

#include "cli/cli.h"
#include "cli/disks.h"
#include "cli/problem_text.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"

#include <unistd.h>

namespace {

struct AnswerState {
    DiskFolders folders;
    BoxPolicy policy = BoxPolicy::Ask;
    unsigned lastDisk = 0;  // the disk of the last prompt answered OK (in this file, for Note)
    uint32_t lastNoted = 0; // the serial of the last problem a box was noted with
    std::vector<std::string> notes;
    BoxAnswerLog log;
};
AnswerState State;

int AnswerPrompt(uint16_t disk, const Problem* wrongVolume) {
    State.log.anyBox = true;
    std::string problem;
    int answer = AnswerDiskPrompt(State.folders, disk, wrongVolume, &State.lastDisk, &problem);
    if (!problem.empty()) {
        if (State.policy == BoxPolicy::Note)
            State.notes.push_back(problem);
        else
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

// The problem the box is about: the one noted last, unless an earlier box already told it.
Problem BoxProblem() {
    if (LastProblem.serial == State.lastNoted) return Problem();
    State.lastNoted = LastProblem.serial;
    return LastProblem;
}

int AnswerBox(PlatformWindow, const char* text, const char* caption, uint32_t type) {
    State.log.anyBox = true;
    Problem problem = BoxProblem();
    if (State.policy == BoxPolicy::Note) {
        State.notes.push_back(BoxNote(text, problem));
        return (type & 0x0F) == BoxOk ? AnswerOk : AnswerCancel;
    }
    int answer;
    bool shown = false;
    if (State.policy == BoxPolicy::Yes) {
        answer = RuleAnswer(type);
    } else if (isatty(STDIN_FILENO)) {
        answer = PosixTerminalPrompter(text, caption, type);
        shown = true;
    } else {
        answer = PosixUnansweredResult(type); // nobody can be asked: give up
        State.log.unasked |= (type & 0x0F) != BoxOk;
    }
    if (answer == AnswerIgnore) ++State.log.ignored;
    // A box nobody saw is printed (a question refused, a warning with only OK); one answered at
    // the terminal is not shown again. Either way a question given up on over a damaged package
    // makes the exit code bad input.
    bool givenUp = answer == AnswerCancel || answer == AnswerAbort || answer == AnswerNo;
    if (givenUp || ((type & 0x0F) == BoxOk && !shown)) {
        if (!shown) State.log.failures.push_back(BoxNote(text, problem));
        if (PackageFault(problem)) State.log.badInput = true;
    }
    return answer;
}

} // namespace

void StartBoxAnswers(const DiskFolders& folders, BoxPolicy policy) {
    State = AnswerState();
    State.folders = folders;
    State.policy = policy;
    State.lastNoted = LastProblem.serial;
    PlatformSetMessageBoxHook(&AnswerBox);
    SetDiskPromptHook(&AnswerPrompt);
}

void StopBoxAnswers() {
    PlatformSetMessageBoxHook(nullptr);
    SetDiskPromptHook(nullptr);
}

void StartFileForBoxAnswers() {
    State.lastDisk = 0;
}

std::vector<std::string> TakeBoxNotes() {
    std::vector<std::string> notes;
    notes.swap(State.notes);
    return notes;
}

BoxAnswerLog& BoxAnswers() {
    return State.log;
}

int ReportTransferStop(int status) {
    std::string cut = SizeCutText(LastProblem);
    bool cutShown = status == StatusCancelled && !State.log.anyBox && !cut.empty();
    if (cutShown) PrintError(EscapeName(LastProblem.name) + ": " + cut);
    for (const std::string& text : State.log.failures)
        PrintError(text);
    if (State.log.unasked)
        PrintError("there is no terminal to ask the question above; --yes answers it without "
                   "asking");
    if (status == StatusOk) return ExitOk;
    return State.log.diskMissing || State.log.badInput || cutShown ? ExitBadInput : ExitFailed;
}
