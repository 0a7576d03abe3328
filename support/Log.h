#pragma once

#include <string>

// The folder of the running executable, with a trailing "/".
std::string ExeFolder();

// The text with every control character (codes below 32 and 127) written as an escape: "\n",
// "\r", "\t", else "\xHH". A logged text (a file name with a line break) cannot forge a line.
std::string EscapeControls(const std::string& text);

// The diagnostic log: log.txt in the program folder, append-only, one CR LF line per entry,
// opened and closed on every call so each line is on disk when the call returns.
class TAppFunc {
public:
    explicit TAppFunc(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

    // Appends "Quarnel Soft <short date> <long time>|<message>", the message's control characters
    // escaped (EscapeControls). An I/O error is raised as
    // std::runtime_error; the line is lost then.
    void WriteLog(const std::string& message) const;

    std::string LogPath() const { return m_programFolder + "log.txt"; }

private:
    std::string m_programFolder;
};
