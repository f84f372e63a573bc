// The one error the package writer throws: a sentence naming the object and the numbers.
#pragma once

#include <stdexcept>
#include <string>

// Refused input (nothing has been written) or a failure while writing the output.
struct PackError : std::runtime_error {
    enum Kind { BadInput, WriteFailed };
    PackError(Kind k, const std::string& message) : std::runtime_error(message), kind(k) {}
    explicit PackError(const std::string& message) : PackError(BadInput, message) {}
    Kind kind;
};
