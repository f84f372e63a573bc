// Reading scenario files for the robot.
#include "script.h"

#include <fstream>

namespace {

// Splits one line into words; false on an unterminated quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] != '"') {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                word += line[i++];
            words.push_back(word);
            continue;
        }
        ++i; // opening quote
        bool closed = false;
        while (i < line.size()) {
            char c = line[i++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c == '\\' && i < line.size()) {
                char next = line[i++];
                word += next == 'n' ? '\n' : next;
            } else {
                word += c;
            }
        }
        if (!closed) return false;
        words.push_back(word);
    }
    return true;
}

} // namespace

bool ReadScenario(const std::string& path, std::vector<Step>& steps, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot open scenario " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        Step step;
        step.line = number;
        step.text = line;
        if (!step.text.empty() && step.text.back() == '\r') step.text.pop_back();
        if (!SplitWords(line, step.words)) {
            error = path + ":" + std::to_string(number) + ": unterminated quote";
            return false;
        }
        if (step.words.empty() || step.words[0][0] == '#' || step.words[0][0] == '@') continue;
        steps.push_back(step);
    }
    return true;
}
