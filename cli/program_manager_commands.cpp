// The program-manager commands that install and uninstall print instead of sending them.
#include "cli/program_manager_commands.h"

#include "cli/cli.h"

#include <cstdio>

void PrintProgramManagerCommands(ProgramManagerCommandBuilder build) {
    char commands[MaxProgramGroupCommands][ProgramGroupCommandSize];
    int count = build(commands);
    std::fprintf(Report, "program manager commands (not sent):\n");
    for (int i = 0; i < count; ++i)
        if (commands[i][0] != '\0') std::fprintf(Report, "  %s\n", EscapeName(commands[i]).c_str());
}
