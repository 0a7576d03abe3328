#include "settings/IniFiles32.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "support/Text.h"
#include "support/WholeFileReplace.h"

namespace fs = std::filesystem;

namespace {

constexpr char kLineEnd[] = "\r\n";
// Settings files are small; anything larger is no settings file the program wrote.
constexpr std::uintmax_t kMaxFileBytes = 1024 * 1024;
constexpr char kNotRegularFile[] = "Not a regular file.";
// Where the engine's files are flushed to the disk; none leaves it to the system.
std::atomic<DiskSync*> g_diskSync{nullptr};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

// The file name made absolute, "." and ".." resolved, as the user is shown it.
std::string ExpandedPath(const std::string& fileName) {
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(fileName), error);
    return error ? fileName : absolute.lexically_normal().string();
}

std::string SystemErrorText(int error) {
    return std::strerror(error != 0 ? error : EIO);
}

TIniFileOpenError OpenError(const std::string& fileName, int error) {
    return TIniFileOpenError("Cannot open file \"" + ExpandedPath(fileName) + "\". " +
                             SystemErrorText(error));
}

TIniFileOpenError OpenError(const std::string& fileName, const std::string& reason) {
    return TIniFileOpenError("Cannot open file \"" + ExpandedPath(fileName) + "\". " + reason);
}

TIniFileCreateError CreateError(const std::string& fileName, const std::string& reason) {
    return TIniFileCreateError("Cannot create file \"" + ExpandedPath(fileName) + "\". " + reason);
}

bool IsMissingFile(const std::string& fileName) {
    std::error_code error;
    const fs::file_status status = fs::status(fs::path(fileName), error);
    // A status that cannot be read (a loop of links, an unreadable folder) is left to the open,
    // which then reports why.
    return status.type() == fs::file_type::not_found || status.type() == fs::file_type::directory;
}

// Why the file (links followed) is no file the engine reads or replaces: a FIFO would block the
// program and a device may never end. Empty for a regular file.
std::string ReasonNotRegular(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    // A status that cannot be read is left to the open, which then reports why.
    if (error || status.type() == fs::file_type::regular || status.type() == fs::file_type::not_found)
        return {};
    return kNotRegularFile;
}

// The file's whole text; nothing when there is no such file. Only a regular file of at most
// kMaxFileBytes is read.
std::optional<std::string> ReadWholeFile(const std::string& fileName) {
    if (IsMissingFile(fileName))
        return std::nullopt;
    if (const std::string reason = ReasonNotRegular(fileName); !reason.empty())
        throw OpenError(fileName, reason);
    errno = 0;
    FilePtr file(std::fopen(fileName.c_str(), "rb"));
    if (!file)
        throw OpenError(fileName, errno);
    std::string text;
    char buffer[64 * 1024];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        text.append(buffer, count);
        if (text.size() > kMaxFileBytes)
            throw OpenError(fileName, EFBIG);
    }
    if (std::ferror(file.get()))
        throw OpenError(fileName, errno);
    return text;
}

// Replaces the file's whole content (through a link, which stays), so the old file stays as it
// was until the new one is complete.
void ReplaceFile(const std::string& fileName, const std::string& content) {
    const WholeFileRules rules{LinkPolicy::Follow, std::nullopt, g_diskSync.load()};
    if (const auto failure = ReplaceWholeFileContent(fileName, content, rules))
        throw CreateError(fileName, failure->notRegularFile ? kNotRegularFile : failure->reason);
}

} // namespace

namespace IniText {

std::string Trim(const std::string& text) {
    return TrimControls(text);
}

std::vector<std::string> SplitLines(const std::string& text) {
    const std::size_t end = std::min(text.find('\0'), text.size());
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < end) {
        std::size_t stop = start;
        while (stop < end && text[stop] != '\r' && text[stop] != '\n')
            ++stop;
        lines.push_back(text.substr(start, stop - start));
        if (stop < end && text[stop] == '\r' && stop + 1 < end && text[stop + 1] == '\n')
            ++stop;
        start = stop + 1;
    }
    return lines;
}

bool IsSectionLine(const std::string& line) {
    const std::string trimmed = Trim(line);
    return !trimmed.empty() && trimmed.front() == '[' && trimmed.back() == ']';
}

std::string KeyOfLine(const std::string& line) {
    const std::size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : Trim(line.substr(0, equals));
}

std::optional<int32_t> ParseInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;

    // Decimal keeps to the signed range; hexadecimal may fill all 32 bits and reads as signed.
    const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    const uint32_t bits = static_cast<uint32_t>(magnitude);
    return static_cast<int32_t>(negative ? 0u - bits : bits);
}

} // namespace IniText

namespace {

// The trimmed text after the first "=", when the key stands before it; else the empty text.
std::string ValueOfLine(const std::string& line, const std::string& key) {
    if (line.empty() || key.empty())
        return {};
    const std::size_t keyAt = line.find(key);
    const std::size_t equals = line.find('=');
    if (keyAt == std::string::npos || equals == std::string::npos || keyAt >= equals)
        return {};
    return IniText::Trim(line.substr(equals + 1));
}

} // namespace

TIniFile32::TIniFile32(const std::string& fileName) : m_fileName(fileName) {
    if (const auto text = ReadWholeFile(fileName))
        m_lines = IniText::SplitLines(*text);
}

void TIniFile32::ReadSections(std::vector<std::string>& list) const {
    list.clear();
    for (const std::string& line : m_lines) {
        if (IniText::IsSectionLine(line)) {
            const std::string trimmed = IniText::Trim(line);
            list.push_back(IniText::Trim(trimmed.substr(1, trimmed.size() - 2)));
        }
    }
}

std::string TIniFile32::ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const {
    const std::ptrdiff_t header = FindSection(section);
    if (header < 0)
        return defaultValue;
    for (auto line = m_lines.begin() + header + 1; line != m_lines.end(); ++line) {
        if (IniText::IsSectionLine(*line))
            break;
        if (IniText::KeyOfLine(*line) == key) {
            // The first line with the key decides, even when its value is empty.
            const std::string value = ValueOfLine(*line, key);
            return value.empty() ? defaultValue : value;
        }
    }
    return defaultValue;
}

int32_t TIniFile32::ReadInteger(const std::string& section, const std::string& key,
                                int32_t defaultValue) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    return IniText::ParseInteger(text).value_or(defaultValue);
}

void TIniFile32::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string keyLine = key + "=" + value;
    const std::ptrdiff_t header = FindSection(section);
    if (header < 0) {
        m_lines.emplace_back();
        m_lines.push_back("[" + section + "]");
        if (!key.empty())
            m_lines.push_back(keyLine);
    } else if (!key.empty()) {
        auto line = m_lines.begin() + header + 1;
        while (line != m_lines.end() && !IniText::IsSectionLine(*line) && IniText::KeyOfLine(*line) != key)
            ++line;
        if (line != m_lines.end() && !IniText::IsSectionLine(*line))
            *line = keyLine;
        else
            m_lines.insert(line, keyLine);
    }
    UpdateFile();
}

void TIniFile32::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile32::EraseSection(const std::string& section) {
    const std::ptrdiff_t header = FindSection(section);
    if (header < 0)
        return;
    auto first = m_lines.begin() + header;
    auto last = first + 1;
    while (last != m_lines.end() && !IniText::IsSectionLine(*last))
        ++last;
    const auto place = m_lines.erase(first, last);
    if (header > 0)
        m_lines.emplace(place);
    UpdateFile();
}

std::ptrdiff_t TIniFile32::FindSection(const std::string& section) const {
    const std::string wanted = "[" + section + "]";
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (EqualsIgnoringAsciiCase(m_lines[i], wanted))
            return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

void TIniFile32::UpdateFile() const {
    std::string content;
    for (const std::string& line : m_lines)
        content.append(line).append(kLineEnd);
    ReplaceFile(m_fileName, content);
}

void ReplaceWholeFile(const std::string& fileName, const std::string& content) {
    ReplaceFile(fileName, content);
}

void SetIniFileDiskSync(DiskSync* sync) {
    g_diskSync.store(sync);
}
