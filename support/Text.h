#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The text without the characters of code 32 or less (blanks and control characters) at either end.
std::string TrimControls(const std::string& text);

// The text with the letters a-z turned to A-Z (or A-Z to a-z); every other byte stays as it is.
std::string AsciiUpper(std::string text);
std::string AsciiLower(std::string text);

// Pieces of text between delimiters, scanning from the left: an empty piece between two adjacent
// delimiters, or before a leading one, is kept; what follows the last delimiter is kept only when it
// is not empty. So "a|b" and "a|b|" give two pieces, "a||b" three, "" none. Pieces are not trimmed.
std::vector<std::string> SplitText(const std::string& text, char delimiter);

// A lenient reading of a number: every digit is taken, and the first ".", "+" and "-" wherever they
// stand; a sign survives only in front. "12.5 kbps" gives 12.5, "1.2.3" 1.23, "5-3" 53, "-5-3" -53.
// Throws std::invalid_argument when what was taken is no number (a lone "." for example).
double ParseNumber(const std::string& text);

// "H:M:S" to whole seconds; no value unless the text splits into exactly three pieces at ":".
// Fields are not range-checked ("00:75:00" gives 4500). Throws std::invalid_argument for a piece
// that is no integer.
std::optional<int64_t> TimeTextToSeconds(const std::string& text);
// The same, with no value also for a piece that is no integer; never throws.
std::optional<int64_t> TryTimeTextToSeconds(const std::string& text);

// The text as a whole number (std::stoll's reading, the whole text used); no value otherwise.
std::optional<int64_t> WholeNumber(const std::string& text);

// Seconds as HH:MM:SS, each field at least two digits, hours not capped; zero or less "00:00:00".
std::string SecondsToTimeText(int64_t seconds);

// Milliseconds as HH:MM:SS.mmm ("00:05:00.000"); zero or less "00:00:00.000".
std::string MillisecondsToTimeText(int64_t milliseconds);

// A byte count for display: "1000 B", "1.5 KB", "117.73 MB", "1 GB"; two decimals cut, not rounded.
std::string SizeText(int64_t bytes);
