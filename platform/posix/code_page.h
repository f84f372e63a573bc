// The ANSI code page of the package's names and texts, and their spelling on the host.
//
// A package keeps its names and texts in a single-byte Windows code page (1252 unless a package
// was made on a system with another one); on the host, names are UTF-8. Every host name the
// POSIX platform makes or looks up is the UTF-8 spelling of the ANSI name, and a host name is
// taken back into the package's world only when the code page can spell it.
#pragma once

#include <string>

constexpr int DefaultCodePage = 1252;

// Makes codePage (437, 850, 1250, 1251, 1252, ...: any single-byte code page that iconv knows
// as CP<n>) the one ANSI texts are read in. False, leaving the code page as it was, when iconv
// does not know it or it is not single-byte.
bool SetAnsiCodePage(int codePage);
int AnsiCodePage();

// The UTF-8 spelling of ANSI text. A byte the code page leaves undefined keeps its value as a
// character (0x81 is U+0081), so every ANSI text has a spelling and comes back from it whole.
std::string AnsiToUtf8(const std::string& ansi);

// The ANSI spelling of UTF-8 text into *ansi. False when text is not UTF-8 or holds a character
// the code page cannot spell; *ansi is then left as it was.
bool Utf8ToAnsi(const std::string& text, std::string* ansi);

// An ANSI text for a terminal: its UTF-8 spelling, with control characters (C0, DEL and C1) as
// \xNN of their ANSI byte.
std::string PrintableAnsi(const std::string& ansi);

// A host text (UTF-8) for a terminal: control characters and bytes that are not UTF-8 as \xNN.
std::string PrintableHost(const std::string& text);
