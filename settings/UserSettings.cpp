// The user's choices kept across runs: TCustomProc's load and save of Config/UserSettings.ini.

#include "convert/CustomProc.h"

#include <string>

#include "settings/IniFiles32.h"

namespace {

constexpr char kUserSettingsFile[] = "Config/UserSettings.ini";
constexpr char kSection[] = "USRInfo";
constexpr char kShowOutputDirectoryKey[] = "SHWDDir";
constexpr char kShutdownKey[] = "SHUTDOWN";
constexpr char kOutputFolderKey[] = "OutDir";
constexpr char kQuickBatchKey[] = "QuickBatch";
constexpr char kChecked[] = "1";
constexpr char kUnchecked[] = "0";

const char* FlagText(bool checked) {
    return checked ? kChecked : kUnchecked;
}

} // namespace

void TCustomProc::LoadUserSettings() {
    const TIniFile32 ini(m_programFolder + kUserSettingsFile);
    // Only the exact text "1" checks a box; "true", "01" or nothing leave it unchecked.
    m_choices.SetShowOutputDirectory(ini.ReadString(kSection, kShowOutputDirectoryKey, kUnchecked) ==
                                     kChecked);
    m_choices.SetShutdown(ini.ReadString(kSection, kShutdownKey, kUnchecked) == kChecked);
    m_choices.SetOutputFolder(ini.ReadString(kSection, kOutputFolderKey, m_choices.edtOutputFolder()));
    m_choices.SetQuickBatch(ini.ReadString(kSection, kQuickBatchKey, kUnchecked) == kChecked);
}

void TCustomProc::SaveUserSettings() {
    // Three separate writes edit only these keys' lines, so InitDir and keys this program does
    // not know stay where they are.
    TIniFile32 ini(m_programFolder + kUserSettingsFile);
    ini.WriteString(kSection, kShowOutputDirectoryKey, FlagText(m_choices.chkShowOutputDirectory()));
    ini.WriteString(kSection, kShutdownKey, FlagText(m_choices.chkShutdown()));
    ini.WriteString(kSection, kOutputFolderKey, m_choices.edtOutputFolder());
    // A user who never turned quick batches on keeps the file exactly as it always was.
    if (m_choices.QuickBatch() || !ini.ReadString(kSection, kQuickBatchKey, "").empty())
        ini.WriteString(kSection, kQuickBatchKey, FlagText(m_choices.QuickBatch()));
}
