#pragma once

#include <optional>
#include <string>
#include <vector>

// One command-line text for the transcoder, built and taken apart by the rules that the text's
// format comes from: blanks and tabs separate arguments; inside quotation marks they do not;
// backslashes are literal unless they stand before a quotation mark (2n backslashes and a quotation
// mark give n backslashes and a quoting switch, 2n+1 give n backslashes and a literal quotation mark);
// inside quotation marks, "" is one literal quotation mark.

// The argument as one quoted word that SplitCommandLine turns back into exactly that argument.
// A text without quotation marks that does not end in a backslash comes back between two
// quotation marks, unchanged.
std::string QuoteArgument(const std::string& argument);

// Splits a text into arguments by the rules above.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The executable at the start of a command line and the text after it.
struct ExecutableSplit {
    std::string executable;
    std::string arguments; // the rest of the command line, to be split with SplitCommandLine
};

// Finds the executable the way an unquoted path with blanks is found: a leading quoted path is
// taken up to its closing quotation mark; otherwise the shortest blank-separated prefix that names
// an existing regular file wins. No value when the line is empty or no prefix names a file.
std::optional<ExecutableSplit> FindExecutable(const std::string& commandLine);
