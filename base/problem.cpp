// The problem record, program-wide.
#include "base/problem.h"

#include "base/paths.h"

Problem LastProblem;

void ClearProblem() {
    uint32_t serial = LastProblem.serial;
    LastProblem = Problem();
    LastProblem.serial = serial;
}

Problem& NoteProblem(StatusCode status, ProblemAbout about, ProblemFault fault, const char* name) {
    ++LastProblem.serial;
    LastProblem.status = status;
    LastProblem.about = about;
    LastProblem.fault = fault;
    CopyText(LastProblem.name, PathSize, name ? name : "");
    return LastProblem;
}
