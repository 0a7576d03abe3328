#pragma once

#include <stdexcept>
#include <string>

// A conversion that cannot go on; what() is the last line the user sees.
class TranscodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The library's text for an error code.
std::string AvErrorText(int error);
