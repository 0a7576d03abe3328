#include "sources/SavedSourceList.h"

#include <sstream>

#include "support/Text.h"

namespace {

constexpr const char* FormatLine = "Rivamo source list 1";
constexpr char FieldSeparator = '\t';
constexpr std::size_t FieldCount = 4;

std::string EscapedPath(const std::string& path) {
    std::string escaped;
    escaped.reserve(path.size());
    for (const char c : path) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// No value for an escape that EscapedPath never writes.
std::optional<std::string> UnescapedPath(const std::string& text) {
    std::string path;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            path += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            path += '\\';
            break;
        case 't':
            path += '\t';
            break;
        case 'n':
            path += '\n';
            break;
        case 'r':
            path += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return path;
}

bool IsTimeText(const std::string& text) {
    return text.size() == 8 && TryTimeTextToSeconds(text).has_value();
}

std::optional<SavedSourceRow> ParseRow(const std::string& line) {
    const std::vector<std::string> fields = SplitText(line, FieldSeparator);
    if (fields.size() != FieldCount || (fields[0] != CheckedText && fields[0] != UncheckedText))
        return std::nullopt;
    const std::optional<std::string> path = UnescapedPath(fields[3]);
    if (!path || path->empty() || !IsTimeText(fields[1]) || (!fields[2].empty() && !IsTimeText(fields[2])))
        return std::nullopt;
    return SavedSourceRow{*path, fields[0] == CheckedText, fields[1], fields[2]};
}

} // namespace

std::string SavedSourceListText(const SourceList& rows) {
    std::string text = std::string(FormatLine) + "\n";
    for (std::size_t row = 0; row < rows.RowCount(); ++row) {
        const bool measured = rows.Cell(row, colDuration) != MeasuringText;
        text += rows.Cell(row, colCheck) == CheckedText ? CheckedText : UncheckedText;
        text += FieldSeparator + rows.Cell(row, colStartTime) + FieldSeparator;
        text += (measured ? rows.Cell(row, colEndTime) : std::string()) + FieldSeparator;
        text += EscapedPath(rows.Cell(row, colFileName)) + "\n";
    }
    return text;
}

std::vector<SavedSourceRow> ParseSavedSourceList(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::vector<SavedSourceRow> rows;
    if (!std::getline(lines, line) || line != FormatLine)
        return rows;
    while (std::getline(lines, line))
        if (const auto row = ParseRow(line))
            rows.push_back(*row);
    return rows;
}
