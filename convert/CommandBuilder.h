#pragma once

#include <string>

#include "convert/ConvertCommand.h"

// The command line of one source and what was computed for it. The program's implementation is
// TCommonLib's BuildCommandLine; tests give their own.
class CommandBuilder {
public:
    virtual ~CommandBuilder() = default;
    // The transcoder command for the source at `path`; its line is empty when none can be built.
    // Errors (a malformed time cell, an unwritable output folder) are raised.
    virtual ConvertCommand BuildCommandLine(const std::string& path) = 0;
};
