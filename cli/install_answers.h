// The answers that the disksetup command gives to the engine's message boxes and disk prompts:
// disk prompts by mapping drive A: to the disk; other boxes noted (test), asked on the
// terminal, answered by rule with --yes, or refused (and remembered as failures) without a
// terminal.
#pragma once

#include "cli/disks.h"

#include <string>
#include <vector>

// Opens the package at path (OpenPackage) and adds the --disk options to its disk folders.
// Returns an exit code: ExitOk, the opening's, or ExitUsage for a bad --disk.
int OpenPackageDisks(const std::string& path, const std::vector<std::string>& disks,
                     DiskFolders* folders);

struct BoxAnswerLog {
    std::vector<std::string> failures; // texts of the boxes nobody saw: questions refused,
                                       // notices with only OK
    unsigned ignored = 0;              // files skipped with Ignore
    bool diskMissing = false;          // a disk could not be found
    bool badInput = false; // a question given up on was about a missing or damaged Volume or stream
    bool anyBox = false;   // some box was raised
    bool unasked = false;  // a question was refused for want of a terminal
};

// How boxes other than the disk prompt are answered.
enum class BoxPolicy {
    Note, // every box noted with the numbers of its problem (TakeBoxNotes) and answered Cancel
          // (OK when it has only OK); a disk that cannot be had is noted too
    Ask,  // on the terminal, or refused without one; a disk that cannot be had is printed
    Yes,  // without asking: Ignore a file that cannot be replaced, Cancel a failed read or write
          // (a retry without a change would fail again), Yes to a question, OK to a notice
};

void StartBoxAnswers(const DiskFolders& folders, BoxPolicy policy);
void StopBoxAnswers();
// Starts a new file: a first prompt for a disk is answered again.
void StartFileForBoxAnswers();
// What the boxes told since the last call, one sentence each (BoxPolicy::Note).
std::vector<std::string> TakeBoxNotes();
BoxAnswerLog& BoxAnswers();
// Prints to standard error what stopped a transfer that ended with status: for one stopped
// (StatusCancelled) without any box, the record it stopped at and why, since a stored stream that
// ends inside its 4-byte size shows no message; then the boxes nobody saw, and that --yes
// answers questions when there is no terminal to ask. Returns the exit code: ExitOk for StatusOk,
// ExitBadInput when a disk, a Volume or a stream was missing or damaged, otherwise ExitFailed.
int ReportTransferStop(int status);
