// The program-manager commands that install and uninstall print instead of sending them.
#pragma once

#include "install/program_group.h"

// Prints the program-manager commands that build makes, as SETUP.EXE or the uninstaller would
// send them, under "program manager commands (not sent):"; commands left empty are not shown.
using ProgramManagerCommandBuilder =
    int (*)(char[MaxProgramGroupCommands][ProgramGroupCommandSize]);
void PrintProgramManagerCommands(ProgramManagerCommandBuilder build);
