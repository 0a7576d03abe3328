#pragma once

#include <stdexcept>
#include <string>

#include "transcoder/Rational.h"

// A script that is not the one-line DirectShowSource call this program understands.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// DirectShowSource("PATH", fps=RATE, convertfps=true): the file to open and the constant frame rate
// its video is converted to before any other video option applies.
struct AvsScript {
    std::string sourcePath;
    Rational frameRate;
};

// True when the path names a script (extension ".avs", any letter case).
bool IsAvsPath(const std::string& path);

// Reads the script text; the path may be written "PATH" or """PATH""" (the latter may hold quotation
// marks). Throws ScriptError for anything else.
AvsScript ParseAvsScript(const std::string& text);
