#pragma once

#include <string>

#include "support/StrFunc.h"

// Output file names: the base name of a path and a free name in the output folder. One instance
// lives for the program's life; it remembers the starting base name of the search in progress.
class TFileFunc {
public:
    // The file name after the last "/" without its last extension: "/v/clip.part1.avi" gives
    // "clip.part1", "clip." gives "clip", and a name without any "." gives the empty text. Only "/"
    // cuts: on Linux ":" and "\" are ordinary file-name characters.
    std::string BaseNameOf(const std::string& path) const;

    // A path in the folder of `path` whose base name no entry of that folder has (letter case of
    // a-z ignored): the wanted path itself, else the base name numbered "_1", "_2", ... A folder that
    // cannot be listed counts as empty.
    std::string UniqueOutputPath(const std::string& path);

private:
    TStrFunc m_strFunc;
    std::string m_startBaseName; // of the search in progress
};
