#include "settings/UserSettings.h"

#include <string>

#include "settings/IniFiles32.h"
#include "support/Log.h"

namespace {

constexpr char kUserSettingsFile[] = "Config/UserSettings.ini";
constexpr char kSection[] = "USRInfo";
constexpr char kShowOutputDirectoryKey[] = "SHWDDir";
constexpr char kShutdownKey[] = "SHUTDOWN";
constexpr char kOutputFolderKey[] = "OutDir";
constexpr char kQuickBatchKey[] = "QuickBatch";
constexpr char kChecked[] = "1";
constexpr char kUnchecked[] = "0";

constexpr char kOutputFolderRefused[] =
    "Output directory in the settings is no absolute local folder, the default is used instead: ";

const char* FlagText(bool checked) {
    return checked ? kChecked : kUnchecked;
}

// Output goes to local files only: an address ("tcp://..."), a relative path or "~" would be
// read by the transcoder as something other than the folder the user sees.
bool IsAbsoluteLocalFolder(const std::string& folder) {
    return !folder.empty() && folder.front() == '/';
}

} // namespace

void LoadUserSettings(const std::string& programFolder, MainChoices& choices) {
    const TIniFile32 ini(programFolder + kUserSettingsFile);
    // Only the exact text "1" checks a box; "true", "01" or nothing leave it unchecked.
    choices.SetShowOutputDirectory(ini.ReadString(kSection, kShowOutputDirectoryKey, kUnchecked) == kChecked);
    choices.SetShutdown(ini.ReadString(kSection, kShutdownKey, kUnchecked) == kChecked);
    const std::string folder = ini.ReadString(kSection, kOutputFolderKey, choices.edtOutputFolder());
    if (IsAbsoluteLocalFolder(folder))
        choices.SetOutputFolder(folder);
    else
        TAppFunc(programFolder).WriteLog(kOutputFolderRefused + folder);
    choices.SetQuickBatch(ini.ReadString(kSection, kQuickBatchKey, kUnchecked) == kChecked);
}

void SaveUserSettings(const std::string& programFolder, const MainChoices& choices) {
    // Three separate writes edit only these keys' lines, so InitDir and keys this program does
    // not know stay where they are.
    TIniFile32 ini(programFolder + kUserSettingsFile);
    ini.WriteString(kSection, kShowOutputDirectoryKey, FlagText(choices.chkShowOutputDirectory()));
    ini.WriteString(kSection, kShutdownKey, FlagText(choices.chkShutdown()));
    ini.WriteString(kSection, kOutputFolderKey, choices.edtOutputFolder());
    // A user who never turned quick batches on keeps the file exactly as it always was.
    if (choices.QuickBatch() || !ini.ReadString(kSection, kQuickBatchKey, "").empty())
        ini.WriteString(kSection, kQuickBatchKey, FlagText(choices.QuickBatch()));
}
