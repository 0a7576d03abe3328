#pragma once

#include <string>
#include <vector>

// The progress window's reading of a status line: split at "=", take the fifth piece (video) or the
// third (audio only), keep what stands before its first "."; empty when the line has too few pieces.
inline std::string SecondsAsTheProgressWindowReadsThem(const std::string& line, bool audioOnly) {
    std::vector<std::string> pieces;
    std::size_t begin = 0;
    for (std::size_t at; (at = line.find('=', begin)) != std::string::npos; begin = at + 1)
        pieces.push_back(line.substr(begin, at - begin));
    if (begin < line.size())
        pieces.push_back(line.substr(begin));
    const std::size_t index = audioOnly ? 2 : 4;
    if (pieces.size() < index + 1)
        return "";
    return pieces[index].substr(0, pieces[index].find('.'));
}
