#include "sources/InitDir.h"

#include <utility>

#include "settings/IniFiles32.h"

namespace {

constexpr const char* UserSettingsFile = "Config/UserSettings.ini";
constexpr const char* UserSection = "USRInfo";
constexpr const char* InitDirKey = "InitDir";

} // namespace

TInitDir::TInitDir(std::string programFolder, std::string homeFolder)
    : m_programFolder(std::move(programFolder)), m_homeFolder(std::move(homeFolder)) {}

std::string TInitDir::SettingsPath() const {
    return m_programFolder + UserSettingsFile;
}

std::string TInitDir::Read() const {
    return TIniFile32(SettingsPath()).ReadString(UserSection, InitDirKey, m_homeFolder);
}

void TInitDir::Write(const std::string& folder) const {
    TIniFile32(SettingsPath()).WriteString(UserSection, InitDirKey, folder);
}

std::string FolderPartOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
