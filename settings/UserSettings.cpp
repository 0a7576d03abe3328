#include "settings/UserSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/MainWindowPlacement.h"

#include "settings/IniFiles32.h"
#include "support/Log.h"
#include "support/Text.h"

namespace {

constexpr char kUserSettingsFile[] = "Config/UserSettings.ini";
constexpr char kSection[] = "USRInfo";
constexpr char kShowOutputDirectoryKey[] = "SHWDDir";
constexpr char kShutdownKey[] = "SHUTDOWN";
constexpr char kOutputFolderKey[] = "OutDir";
constexpr char kQuickBatchKey[] = "QuickBatch";
constexpr char kCutModeKey[] = "CutMode";
constexpr char kExactCut[] = "exact";
constexpr char kKeyFrameCut[] = "keyframes";
constexpr char kPlacementSection[] = "MainWindow";
constexpr char kLeftKey[] = "Left";
constexpr char kTopKey[] = "Top";
constexpr char kWidthKey[] = "Width";
constexpr char kHeightKey[] = "Height";
constexpr char kMaximizedKey[] = "Maximized";
constexpr char kColumnsKey[] = "Columns";
constexpr char kColumnSeparator = ',';
constexpr int kUnknownSize = 0;
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

// "26,146,68" to its widths; none when one of them is no positive whole number.
std::vector<int> ColumnWidthsOf(const std::string& text) {
    std::vector<int> widths;
    for (const std::string& piece : SplitText(text, kColumnSeparator)) {
        const std::optional<int64_t> width = WholeNumber(piece);
        if (!width || *width <= 0 || *width > INT32_MAX)
            return {};
        widths.push_back(static_cast<int>(*width));
    }
    return widths;
}

std::string ColumnWidthsText(const std::vector<int>& widths) {
    std::string text;
    for (const int width : widths)
        text += (text.empty() ? "" : std::string(1, kColumnSeparator)) + std::to_string(width);
    return text;
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
    // Any text but "keyframes" keeps the exact cut.
    choices.SetCut(ini.ReadString(kSection, kCutModeKey, kExactCut) == kKeyFrameCut ? CutMode::KeyFrames
                                                                                    : CutMode::Exact);
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
    if (choices.Cut() == CutMode::KeyFrames || !ini.ReadString(kSection, kCutModeKey, "").empty())
        ini.WriteString(kSection, kCutModeKey,
                        choices.Cut() == CutMode::KeyFrames ? kKeyFrameCut : kExactCut);
}

std::optional<MainWindowPlacement> LoadMainWindowPlacement(const std::string& programFolder) {
    const TIniFile32 ini(programFolder + kUserSettingsFile);
    MainWindowPlacement placement;
    placement.width = ini.ReadInteger(kPlacementSection, kWidthKey, kUnknownSize);
    placement.height = ini.ReadInteger(kPlacementSection, kHeightKey, kUnknownSize);
    if (placement.width <= kUnknownSize || placement.height <= kUnknownSize)
        return std::nullopt;
    placement.left = ini.ReadInteger(kPlacementSection, kLeftKey, 0);
    placement.top = ini.ReadInteger(kPlacementSection, kTopKey, 0);
    placement.maximized = ini.ReadString(kPlacementSection, kMaximizedKey, kUnchecked) == kChecked;
    placement.columnWidths = ColumnWidthsOf(ini.ReadString(kPlacementSection, kColumnsKey, ""));
    return placement;
}

void SaveMainWindowPlacement(const std::string& programFolder, const MainWindowPlacement& placement) {
    TIniFile32 ini(programFolder + kUserSettingsFile);
    ini.WriteInteger(kPlacementSection, kLeftKey, placement.left);
    ini.WriteInteger(kPlacementSection, kTopKey, placement.top);
    ini.WriteInteger(kPlacementSection, kWidthKey, placement.width);
    ini.WriteInteger(kPlacementSection, kHeightKey, placement.height);
    ini.WriteString(kPlacementSection, kMaximizedKey, FlagText(placement.maximized));
    ini.WriteString(kPlacementSection, kColumnsKey, ColumnWidthsText(placement.columnWidths));
}
