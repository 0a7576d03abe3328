#include "support/StrFunc.h"

std::string TStrFunc::TextAfterLast(const std::string& text, const std::string& separator) const {
    if (separator.empty())
        return text;
    // Dropping up to each first occurrence in turn: for a separator that can overlap itself ("aa"
    // in "aaa") this differs from cutting at the last occurrence.
    std::size_t rest = 0;
    for (std::size_t found = text.find(separator); found != std::string::npos;
         found = text.find(separator, rest))
        rest = found + separator.size();
    return text.substr(rest);
}
