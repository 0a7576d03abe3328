#pragma once

#include <functional>
#include <memory>
#include <string>

// The folder of the running executable, with a trailing "/".
std::string ExeFolder();

// The text with every control character (codes below 32 and 127) written as an escape: "\n",
// "\r", "\t", else "\xHH". A logged text (a file name with a line break) cannot forge a line.
std::string EscapeControls(const std::string& text);

// The diagnostic log: log.txt in the program folder, append-only, one CR LF line per entry,
// opened and closed on every call so each line is on disk when the call returns. Only a regular
// file is written: a FIFO, a device or a link in its place is refused.
class TAppFunc {
public:
    // Told the text of the first failure to write the log.
    using FailureReporter = std::function<void(const std::string& text)>;

    explicit TAppFunc(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

    // Appends "Quarnel Soft <short date> <long time>|<message>", the message's control characters
    // escaped (EscapeControls). A log that cannot be written loses the line and stops nothing:
    // the first failure goes to the reporter (standard error without one), later ones are quiet.
    void WriteLog(const std::string& message) const;

    std::string LogPath() const { return m_programFolder + "log.txt"; }
    void SetFailureReporter(FailureReporter reporter) { m_reportFailure = std::move(reporter); }

private:
    std::string m_programFolder;
    FailureReporter m_reportFailure;
    std::shared_ptr<bool> m_failureReported = std::make_shared<bool>(false); // shared by copies
};

// Appends the text to the file, which must be a regular file or missing; the reason it could not,
// or the empty text.
std::string AppendToRegularFile(const std::string& path, const std::string& text);
