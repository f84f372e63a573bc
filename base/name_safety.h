// The rule a catalogue Name is judged by: it names one file in its own place, and nothing
// beyond.
#pragma once

// Whether a catalogue Name names one file in the place that placement gives it, and nothing
// beyond: a relative name below the destination, or a rooted one ('\DIR\FILE') or one with a
// drive letter ('D:\DIR\FILE') below the root of the destination's drive, the two only when
// rootedAllowed (the destination has a drive letter). Refused: '.' or '..' components (or what
// Windows shortens to them by dropping trailing dots and spaces), empty components, a UNC or
// drive-relative ('C:FILE') form, a component ending in a dot or a space, the characters
// '< > : " / | ? *', control characters, and device names (CON, PRN, AUX, NUL, COM1 to COM9,
// LPT1 to LPT9, CONIN$, CONOUT$), with or without an extension. The packer, the installation
// and the removal all judge a Name by this one rule.
bool SafeCatalogueName(const char* name, bool rootedAllowed);
