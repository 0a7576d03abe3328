#include "support/CommandLine.h"

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string QuoteArgument(const std::string& argument) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // Every backslash before a quotation mark is doubled, and the mark itself escaped.
            quoted.append(2 * backslashes + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted.push_back(c);
    }
    // Backslashes before the closing quotation mark are doubled so that it stays a closing mark.
    quoted.append(2 * backslashes, '\\');
    quoted.push_back('"');
    return quoted;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool inQuotes = false;
    std::size_t i = 0;
    while (i < commandLine.size()) {
        const char c = commandLine[i];
        if (!inQuotes && IsSeparator(c)) {
            if (inArgument)
                arguments.push_back(current);
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            std::size_t backslashes = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < commandLine.size() && commandLine[i] == '"') {
                current.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    current.push_back('"');
                    ++i;
                }
                // An even count leaves the quotation mark to switch quoting on the next round.
            } else {
                current.append(backslashes, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (inQuotes && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
                current.push_back('"');
                i += 2;
                continue;
            }
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        current.push_back(c);
        ++i;
    }
    if (inArgument)
        arguments.push_back(current);
    return arguments;
}

std::optional<std::string> ArgumentsAfter(const std::string& executable, const std::string& commandLine) {
    if (executable.empty() || !commandLine.starts_with(executable))
        return std::nullopt;
    const std::string rest = commandLine.substr(executable.size());
    if (!rest.empty() && !IsSeparator(rest.front()))
        return std::nullopt;
    return rest;
}
