#pragma once

#include <string>
#include <vector>

#include "sources/SourceList.h"

// What is kept of one row between runs: the file, its check and the part of it to convert.
struct SavedSourceRow {
    std::string path;
    bool checked = true;
    std::string startTime; // HH:MM:SS
    std::string endTime;   // HH:MM:SS; empty when the file was still being measured

    bool operator==(const SavedSourceRow&) const = default;
};

// The rows as the text of the list's own file: a first line naming the format, then one line per
// row with the check, the start and end times and the path, separated by tabs. Backslashes, tabs
// and line breaks in a path are written as \\, \t, \n and \r, so every path fits one line.
std::string SavedSourceListText(const SourceList& rows);

// The rows read back. A text of another format gives no rows; a line that cannot be read (a
// damaged or hand-edited file) is left out, and so is a time that is no HH:MM:SS text.
std::vector<SavedSourceRow> ParseSavedSourceList(const std::string& text);
