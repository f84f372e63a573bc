// One argument of a program-manager DDE command, such as a group or item name in
// [AddItem(...)] or [DeleteItem(...)], written so that the command keeps its meaning.
#pragma once

#include <cstddef>

// Whether text can be one argument of a command: always, unless it holds a double quote. The
// command syntax ends a quoted argument at the next double quote and knows no escape for one,
// so no command can carry such a text.
bool ProgmanCanCarry(const char* text);

// Appends text to command (a text of size bytes) as one argument: exactly as it stands when it
// holds none of , ( ) [ ] and ", since those end or open an argument; otherwise enclosed in
// double quotes. Returns false, leaving command unchanged, when no command can carry text or
// the argument would not fit.
bool AppendProgmanArgument(char* command, size_t size, const char* text);
