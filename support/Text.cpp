#include "support/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr int64_t KiB = 1024;
constexpr int64_t GiB = KiB * KiB * KiB;

// The characters ParseNumber keeps, with a sign only in front.
std::string TakeNumberCharacters(const std::string& text) {
    std::string taken;
    bool dot = false, plus = false, minus = false;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            taken.push_back(c);
        else if (c == '.' && !dot)
            dot = true, taken.push_back(c);
        else if (c == '+' && !plus)
            plus = true, taken.push_back(c);
        else if (c == '-' && !minus)
            minus = true, taken.push_back(c);
    }
    if (taken.size() < 2)
        return taken;
    std::string result(1, taken.front());
    for (std::size_t i = 1; i < taken.size(); ++i)
        if (taken[i] != '+' && taken[i] != '-')
            result.push_back(taken[i]);
    return result;
}

int64_t ReadInteger(const std::string& piece) {
    std::size_t start = 0;
    bool negative = false;
    if (!piece.empty() && (piece[0] == '+' || piece[0] == '-')) {
        negative = piece[0] == '-';
        start = 1;
    }
    int64_t value = 0;
    const char* first = piece.data() + start;
    const char* last = piece.data() + piece.size();
    const auto [end, error] = std::from_chars(first, last, value);
    // from_chars takes a minus sign of its own; a second sign is no integer.
    if (first == last || *first < '0' || *first > '9' || error != std::errc() || end != last)
        throw std::invalid_argument("'" + piece + "' is not a valid integer value");
    return negative ? -value : value;
}

std::string TwoDigits(int64_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

} // namespace

std::string TrimControls(const std::string& text) {
    const auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isControl(text[first]))
        ++first;
    while (last > first && isControl(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::vector<std::string> SplitText(const std::string& text, char delimiter) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t at = text.find(delimiter); at != std::string::npos; at = text.find(delimiter, start)) {
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    if (start < text.size())
        pieces.push_back(text.substr(start));
    return pieces;
}

double ParseNumber(const std::string& text) {
    const std::string taken = TakeNumberCharacters(TrimControls(text));
    if (taken.empty() || taken == "+" || taken == "-")
        return 0;
    std::size_t start = 0;
    double sign = 1;
    if (taken[0] == '+' || taken[0] == '-') {
        sign = taken[0] == '-' ? -1 : 1;
        start = 1;
    }
    double value = 0;
    const char* first = taken.data() + start;
    const char* last = taken.data() + taken.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (first == last || error != std::errc() || end != last)
        throw std::invalid_argument("'" + text + "' is not a valid floating point value");
    return sign * value;
}

std::optional<int64_t> TimeTextToSeconds(const std::string& text) {
    const auto pieces = SplitText(text, ':');
    if (pieces.size() != 3)
        return std::nullopt;
    return ReadInteger(pieces[0]) * 3600 + ReadInteger(pieces[1]) * 60 + ReadInteger(pieces[2]);
}

std::optional<int64_t> TryTimeTextToSeconds(const std::string& text) {
    try {
        return TimeTextToSeconds(text);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

std::optional<int64_t> WholeNumber(const std::string& text) {
    try {
        std::size_t used = 0;
        const long long value = std::stoll(text, &used);
        if (used == text.size())
            return value;
    } catch (const std::logic_error&) {
    }
    return std::nullopt;
}

std::string SecondsToTimeText(int64_t seconds) {
    if (seconds <= 0)
        return "00:00:00";
    return TwoDigits(seconds / 3600) + ":" + TwoDigits(seconds % 3600 / 60) + ":" + TwoDigits(seconds % 60);
}

std::string MillisecondsToTimeText(int64_t milliseconds) {
    const int64_t ms = std::max<int64_t>(0, milliseconds);
    const std::string fraction = std::to_string(ms % 1000);
    return SecondsToTimeText(ms / 1000) + "." + std::string(3 - fraction.size(), '0') + fraction;
}

std::string SizeText(int64_t bytes) {
    if (bytes < 0)
        bytes = 0;
    double x = static_cast<double>(bytes);
    const char* unit = " B";
    if (bytes >= GiB) {
        x = x / KiB / KiB / KiB;
        unit = " GB";
    } else {
        for (const char* larger : {" KB", " MB", " GB"}) {
            if (x < KiB)
                break;
            x /= KiB;
            unit = larger;
        }
    }
    const double cut = std::trunc(x * 100) / 100;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", cut);
    return std::string(buffer) + unit;
}
