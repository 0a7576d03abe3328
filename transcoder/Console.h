#pragma once

#include <string>

// Writes the text to standard error with one write() call, so a reader never sees half a line.
void WriteToConsole(const std::string& text);

// A whole line: the text and "\n".
inline void WriteConsoleLine(const std::string& text) {
    WriteToConsole(text + "\n");
}
