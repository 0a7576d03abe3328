#include "support/CommandLine.h"

#include <filesystem>
#include <system_error>

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
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

std::optional<ExecutableSplit> FindExecutable(const std::string& commandLine) {
    std::size_t start = 0;
    while (start < commandLine.size() && IsSeparator(commandLine[start]))
        ++start;
    if (start == commandLine.size())
        return std::nullopt;

    if (commandLine[start] == '"') {
        const std::size_t close = commandLine.find('"', start + 1);
        if (close == std::string::npos)
            return std::nullopt;
        std::string executable = commandLine.substr(start + 1, close - start - 1);
        if (!IsRegularFile(executable))
            return std::nullopt;
        return ExecutableSplit{std::move(executable), commandLine.substr(close + 1)};
    }

    // Each blank ends a candidate; the whole line is the last candidate.
    for (std::size_t end = start; end <= commandLine.size(); ++end) {
        if (end < commandLine.size() && !IsSeparator(commandLine[end]))
            continue;
        std::string candidate = commandLine.substr(start, end - start);
        if (!candidate.empty() && IsRegularFile(candidate))
            return ExecutableSplit{std::move(candidate), commandLine.substr(end)};
    }
    return std::nullopt;
}
