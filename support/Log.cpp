#include "support/Log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

constexpr const char* LogLinePrefix = "Quarnel Soft ";

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

void TAppFunc::WriteLog(const std::string& message) const {
    const std::string line = LogLinePrefix + LocalStamp() + "|" + EscapeControls(message) + "\r\n";
    const std::string path = LogPath();
    std::ofstream log(path, std::ios::binary | std::ios::app);
    if (!log)
        throw std::runtime_error("Cannot open log file \"" + path + "\". " + std::strerror(errno));
    log.write(line.data(), static_cast<std::streamsize>(line.size()));
    log.close();
    if (!log)
        throw std::runtime_error("Cannot write log file \"" + path + "\". " + std::strerror(errno));
}
