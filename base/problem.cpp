// The problem record, program-wide.
#include "base/problem.h"

#include <cstring>

Problem LastProblem;

void ClearProblem() {
    uint32_t serial = LastProblem.serial;
    LastProblem = Problem();
    LastProblem.serial = serial;
}

Problem& NoteProblem(int32_t status, ProblemAbout about, ProblemFault fault, const char* name) {
    ++LastProblem.serial;
    LastProblem.status = status;
    LastProblem.about = about;
    LastProblem.fault = fault;
    std::strncpy(LastProblem.name, name ? name : "", sizeof LastProblem.name - 1);
    LastProblem.name[sizeof LastProblem.name - 1] = '\0';
    return LastProblem;
}
