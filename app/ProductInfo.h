#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The product information, filled once during start-up and read-only afterwards. Every text but
// Version, AppPath and the caption comes from the Branding.so string table of this installation.
struct RecSoftInfo {
    std::string Text0;       // string 0
    std::string ProductName; // string 1: window caption and title
    std::string Text2;       // string 2
    std::string Version;     // from the executable's FileVersion text, for example "1.0"
    std::string HomePage;    // string 4
    std::string EMail;       // string 5
    std::string Text7;       // string 7
    std::string AppPath;     // the program folder, with a trailing "/"
};

// Branding strings are read into a buffer of 254 bytes: at most 253 are kept.
inline constexpr std::size_t ResourceStringLimit = 253;

// The first two non-empty dot-separated pieces joined by "."; a single piece stands alone; empty
// for an empty text. "1.2.0.15" gives "1.2", "3.10" gives "3.10".
std::string VersionFromFileVersion(const std::string& fileVersion);

// The first ResourceStringLimit bytes of a string-table text. A UTF-8 character that the limit
// would split is left out whole, so the result is never broken UTF-8.
std::string CutResourceString(const std::string& text);

// The main window's caption and title: the product name, a space, the version.
std::string CaptionOf(const RecSoftInfo& info);

// Fills every field but AppPath: strings 0, 1, 2, 4, 5 and 7 through readString (which returns the
// empty text for an id the table lacks), each cut to the limit, and the version text given.
void FillProductInfo(RecSoftInfo& info, const std::function<std::string(int id)>& readString,
                     const std::string& versionText);
