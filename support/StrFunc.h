#pragma once

#include <string>

// Text helpers of the output-name search; one instance lives for the program's life.
class TStrFunc {
public:
    // The text after the last occurrence of the separator: the whole text when it does not occur,
    // the empty text when the text ends with it. An empty separator occurs nowhere.
    std::string TextAfterLast(const std::string& text, const std::string& separator) const;
};
