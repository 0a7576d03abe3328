#include "profiles/CustomProc.h"

#include "settings/IniFiles32.h"
#include "settings/UserSettings.h"
#include "support/Log.h"

namespace {

constexpr char kUserSettingsName[] = "UserSettings.ini";
constexpr char kNotWrittenHead[] = "Config/";
constexpr char kNotWrittenTail[] =
    " is not written: it could not be read when Rivamo started, and writing it would lose what it holds.";

} // namespace

// A file that cannot be read is remembered, so that the save at the end does not write the
// defaults over the user's settings.
void TCustomProc::LoadUserSettings() {
    try {
        ::LoadUserSettings(m_programFolder, m_choices);
    } catch (const TIniFileOpenError&) {
        m_unreadConfigFiles.insert(kUserSettingsName);
        throw;
    }
}

void TCustomProc::SaveUserSettings() {
    if (MayWriteConfig(kUserSettingsName))
        ::SaveUserSettings(m_programFolder, m_choices);
}

bool TCustomProc::MayWriteConfig(const std::string& fileName) const {
    if (!m_unreadConfigFiles.contains(fileName))
        return true;
    TAppFunc(m_programFolder).WriteLog(kNotWrittenHead + fileName + kNotWrittenTail);
    return false;
}
