// The program group, made by sending the program manager's commands over DDE.
#pragma once

#include <windows.h>

// Creates the group "Applications" with the program's item and, when the uninstaller was
// placed, its item. Nothing is shown when the program manager does not answer.
void CreateProgramGroup();
