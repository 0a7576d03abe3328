#include "sources/InitDir.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "settings/IniFiles32.h"
#include "support/Log.h"

namespace {

constexpr const char* UserSettingsFile = "Config/UserSettings.ini";
constexpr const char* UserSection = "USRInfo";
constexpr const char* InitDirKey = "InitDir";
constexpr const char* RefusedHead = "InitDir in the settings is ";
constexpr const char* RefusedTail = ", the open dialog starts in the home folder: ";

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        uint32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

// Why the stored folder cannot be where the dialog starts; empty when it can.
std::string FolderProblem(const std::string& folder) {
    if (!IsUtf8(folder))
        return "not valid text";
    // A folder that is gone (a drive not plugged in) is left to the dialog, which says so.
    std::error_code error;
    const auto type = std::filesystem::status(folder, error).type();
    if (type != std::filesystem::file_type::directory && type != std::filesystem::file_type::not_found &&
        type != std::filesystem::file_type::none)
        return "no folder";
    return {};
}

} // namespace

TInitDir::TInitDir(std::string programFolder, std::string homeFolder)
    : m_programFolder(std::move(programFolder)), m_homeFolder(std::move(homeFolder)) {}

std::string TInitDir::SettingsPath() const {
    return m_programFolder + UserSettingsFile;
}

std::string TInitDir::Read() const {
    const std::string stored = TIniFile32(SettingsPath()).ReadString(UserSection, InitDirKey, m_homeFolder);
    if (stored == m_homeFolder)
        return stored;
    if (const std::string problem = FolderProblem(stored); !problem.empty()) {
        TAppFunc(m_programFolder).WriteLog(RefusedHead + problem + RefusedTail + stored);
        return m_homeFolder;
    }
    return stored;
}

void TInitDir::Write(const std::string& folder) const {
    TIniFile32(SettingsPath()).WriteString(UserSection, InitDirKey, folder);
}

std::string FolderPartOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
