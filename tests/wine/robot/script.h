// The robot's scenario language: one step per line, words and "quoted texts".
#pragma once

#include <string>
#include <vector>

struct Step {
    int line = 0;                   // line number in the scenario file, for messages
    std::string text;               // the line as written, for the transcript
    std::vector<std::string> words; // the command first, then its arguments, quotes removed
};

// Reads the steps of a scenario file. Blank lines, lines starting with '#' (comments) and
// with '@' (directives for the host-side script) are skipped. Inside quotes, \" is a quote,
// \\ a backslash and \n a line feed. Returns false and sets error on a malformed line.
bool ReadScenario(const std::string& path, std::vector<Step>& steps, std::string& error);
