// The program group, made by sending the program manager's commands over DDE.
#pragma once

#include <windows.h>
#include <ddeml.h>

// Sends command in a conversation of its own with service and topic "PROGMAN" (15 s timeout).
// True when the execute transaction succeeded; nobody relies on it.
bool SendProgmanCommand(DWORD instance, const char* command);
// The DDE callback: answers 0 to every transaction and does nothing else.
HDDEDATA CALLBACK DdeClientCallback(UINT type, UINT format, HCONV conversation, HSZ topic,
                                    HSZ item, HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
// Creates the group "Applications" with the program's item and, when the uninstaller was
// placed, its item. Nothing is shown when the program manager does not answer.
void CreateProgramGroup();
