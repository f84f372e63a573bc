// The program group, made and its items removed again by sending the program manager's commands
// over DDE.
#pragma once

#include <windows.h>

// Creates the group "Applications" with the program's item and, when the uninstaller was
// placed, its item. Nothing is shown when the program manager does not answer.
void CreateProgramGroup();
// Deletes the program's item and the uninstaller's item from the group "Applications", which
// stays. Nothing is shown when the program manager does not answer.
void RemoveProgramItems();
