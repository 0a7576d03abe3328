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

// The argument text of a command line that the program built as `executable` (unquoted, blanks
// allowed) followed by its arguments: the text after the executable. No value when the line does
// not begin with exactly that executable followed by a blank, a tab or its end. The executable is
// known, never searched for: a shorter blank-separated prefix of it is never taken for a program.
std::optional<std::string> ArgumentsAfter(const std::string& executable, const std::string& commandLine);
