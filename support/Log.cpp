#include "support/Log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <utility>

namespace {

constexpr const char* LogLinePrefix = "Quarnel Soft ";
constexpr const char* NotRegularFile = "Not a regular file.";

// "%x" and "%X" are the short date and the long time of the user's locale (LC_TIME).
std::string LocalStamp() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char buffer[128] = {};
    if (local == nullptr || std::strftime(buffer, sizeof buffer, "%x %X", local) == 0)
        return {};
    return buffer;
}

} // namespace

std::string EscapeControls(const std::string& text) {
    constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 32 && code != 127) {
            escaped.push_back(c);
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else {
            escaped += "\\x";
            escaped.push_back(hexDigits[code >> 4]);
            escaped.push_back(hexDigits[code & 15]);
        }
    }
    return escaped;
}

std::string ExeFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw std::runtime_error("Cannot find the program folder: " + error.message());
    return exe.parent_path().string() + "/";
}

std::string AppendToRegularFile(const std::string& path, const std::string& text) {
    // Opening a FIFO would wait for a reader, and a link would write wherever it points.
    std::error_code ignored; // a status that cannot be read is left to the open
    const auto type = std::filesystem::symlink_status(path, ignored).type();
    if (type != std::filesystem::file_type::regular && type != std::filesystem::file_type::not_found &&
        type != std::filesystem::file_type::none)
        return NotRegularFile;
    std::ofstream file(path, std::ios::binary | std::ios::app);
    if (!file)
        return std::strerror(errno);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    return file ? std::string() : std::strerror(errno);
}

void TAppFunc::WriteLog(const std::string& message) const {
    const std::string line = LogLinePrefix + LocalStamp() + "|" + EscapeControls(message) + "\r\n";
    const std::string problem = AppendToRegularFile(LogPath(), line);
    if (problem.empty() || std::exchange(*m_failureReported, true))
        return;
    const std::string text = "The log file \"" + LogPath() + "\" cannot be written (" + problem +
                             "). Conversions go on without it.";
    if (m_reportFailure)
        m_reportFailure(text);
    else
        std::cerr << "Rivamo: " << text << '\n';
}
