#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class DiskSync;

// A file of the engine could not be read or written. what() is the text the user sees.
class TIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot open file "<path>". <reason>": an existing file could not be read.
class TIniFileOpenError : public TIniFileError {
public:
    using TIniFileError::TIniFileError;
};

// "Cannot create file "<path>". <reason>": the file could not be written.
class TIniFileCreateError : public TIniFileError {
public:
    using TIniFileError::TIniFileError;
};

// The program's INI file reader and writer. It keeps the whole file as lines, answers reads by
// scanning them and writes the whole file back after every change, leaving every line it was not
// asked to change as it stood. An instance lives for one operation: it reads the file once, when
// it is created, and never sees later changes made by others.
class TIniFile32 {
public:
    // Loads the file's lines; a missing file (or a folder of that name) gives no lines and is not
    // created. Throws TIniFileOpenError when the file exists but cannot be read.
    explicit TIniFile32(const std::string& fileName);

    // Replaces the list's content by the name of every section header, in file order.
    void ReadSections(std::vector<std::string>& list) const;
    // The key's value in the section; the default when either is missing or the value is empty.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The key's value read as a decimal or hexadecimal 32-bit integer, else the default.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;

    // Sets the key's line (creating the section if needed), then writes the whole file.
    // Throws TIniFileCreateError when the file cannot be written; the change stays in Lines()
    // and the file on disk keeps its old content.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    // Removes the section's header and body, then writes the file. A missing section changes
    // nothing and writes nothing.
    void EraseSection(const std::string& section);

    const std::string& FileName() const { return m_fileName; }
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    // Position of the header line "[section]" (ASCII letter case ignored, no trimming), or -1.
    std::ptrdiff_t FindSection(const std::string& section) const;
    void UpdateFile() const;

    std::string m_fileName;
    std::vector<std::string> m_lines;
};

// Replaces a whole file the way the engine writes its files: the content goes to a new file created
// beside it (never an existing file, never through a link), which is then renamed over the old
// one; a target that is no regular file is refused. Throws TIniFileCreateError
// ("Cannot create file "<path>". <reason>").
void ReplaceWholeFile(const std::string& fileName, const std::string& content);

// Flushes every file the engine writes to the disk before it takes the old file's place; none
// (the default) leaves that to the system. The program sets it once at start; not owned.
void SetIniFileDiskSync(DiskSync* sync);

// The engine's reading of one line and of a number, shared with its tests.
namespace IniText {
// Every character of code 32 or less removed from both ends.
std::string Trim(const std::string& text);
// The lines of a file's text: split at CR LF, LF and CR; a NUL ends the text; a final line end
// makes no extra line.
std::vector<std::string> SplitLines(const std::string& text);
bool IsSectionLine(const std::string& line);
// The trimmed text before the first "=", or the empty text when there is none.
std::string KeyOfLine(const std::string& line);
// A 32-bit integer in decimal or with a hexadecimal prefix ($, x, X, 0x, 0X); no value when the
// text is not such a number or lies outside 32 bits.
std::optional<int32_t> ParseInteger(const std::string& text);
} // namespace IniText
