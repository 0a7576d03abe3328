#include "settings/UserSettings.h"

#include <string>

#include "settings/IniFiles32.h"

namespace {

constexpr char kUserSettingsFile[] = "Config/UserSettings.ini";
constexpr char kSection[] = "USRInfo";
constexpr char kShowOutputDirectoryKey[] = "SHWDDir";
constexpr char kShutdownKey[] = "SHUTDOWN";
constexpr char kOutputFolderKey[] = "OutDir";
constexpr char kChecked[] = "1";
constexpr char kUnchecked[] = "0";

const char* FlagText(bool checked) {
    return checked ? kChecked : kUnchecked;
}

} // namespace

void LoadUserSettings(const std::string& programFolder, MainChoices& choices) {
    const TIniFile32 ini(programFolder + kUserSettingsFile);
    // Only the exact text "1" checks a box; "true", "01" or nothing leave it unchecked.
    choices.SetShowOutputDirectory(ini.ReadString(kSection, kShowOutputDirectoryKey, kUnchecked) == kChecked);
    choices.SetShutdown(ini.ReadString(kSection, kShutdownKey, kUnchecked) == kChecked);
    choices.SetOutputFolder(ini.ReadString(kSection, kOutputFolderKey, choices.edtOutputFolder()));
}

void SaveUserSettings(const std::string& programFolder, const MainChoices& choices) {
    // Three separate writes edit only these keys' lines, so InitDir and keys this program does
    // not know stay where they are.
    TIniFile32 ini(programFolder + kUserSettingsFile);
    ini.WriteString(kSection, kShowOutputDirectoryKey, FlagText(choices.chkShowOutputDirectory()));
    ini.WriteString(kSection, kShutdownKey, FlagText(choices.chkShutdown()));
    ini.WriteString(kSection, kOutputFolderKey, choices.edtOutputFolder());
}
