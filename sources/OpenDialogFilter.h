#pragma once

#include <string>
#include <vector>

// The open dialog's filter: pairs of a description and its patterns, all separated by "|";
// the patterns of one pair are separated by ";".
extern const char* const SourceFileFilter;

// The filter as name filters for a file dialog, one per pair and in the same order: the
// description as it stands, then its patterns separated by blanks in parentheses, for example
// "AVI Files (*.avi) (*.avi)". Empty patterns (a trailing ";") are dropped; a description
// without patterns gets none.
std::vector<std::string> NameFiltersOf(const std::string& filter);
