// TCustomProc's custom profiles: adding one under a name the user gives, saving and deleting the
// profile the Options dialog's box names.

#include "profiles/CustomProfiles.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "profiles/CustomProc.h"
#include "settings/IniFiles32.h"
#include "support/MessageBoxes.h"

namespace {

constexpr char kCountName[] = "count"; // section and key of the count file
constexpr char kProposedName[] = "UserProfileInfo";

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

// The profile is read back under the name the file lists, so a name that differs from a listed
// one in letter case only is stored under the listed spelling (the file finds the section either
// way, but would give the key of the other spelling back).
std::string SpellingInFile(const TIniFile32& profiles, const std::string& name) {
    std::vector<std::string> sections;
    profiles.ReadSections(sections);
    const auto listed = std::find_if(sections.begin(), sections.end(),
                                     [&](const auto& s) { return SameIgnoringCase(s, name); });
    return listed != sections.end() ? *listed : name;
}

} // namespace

std::string ProfileNameProblem(const std::string& name) {
    if (name.empty())
        return "Please enter a name for the profile.";
    std::string reason;
    if (IsBlankOrControl(name.front()) || IsBlankOrControl(name.back()))
        reason = "it begins or ends with a blank.";
    else if (std::any_of(name.begin(), name.end(), [](char c) { return c != ' ' && IsBlankOrControl(c); }))
        reason = "it contains a control character.";
    else if (name.find('=') != std::string::npos)
        reason = "it contains \"=\".";
    else if (name.front() == '[' || name.find(']') != std::string::npos)
        reason = "it begins with \"[\" or contains \"]\".";
    if (reason.empty())
        return {};
    return "\"" + name + "\" cannot be used as a profile name: " + reason;
}

void TCustomProc::AddCustomProfile(ProfileNamePrompt& prompt, MessageBoxPresenter& boxes) {
    // The count only feeds the proposed names. It goes up at once, also when the prompt is
    // cancelled, and never goes down.
    TIniFile32 countFile(ConfigPath(kProfileCountFile));
    const int32_t count = countFile.ReadInteger(kCountName, kCountName, 0);
    const int32_t next = count < std::numeric_limits<int32_t>::max() ? count + 1 : count;
    countFile.WriteInteger(kCountName, kCountName, next);

    const std::string proposal = kProposedName + std::to_string(next);
    for (std::optional<std::string> name = prompt.AskName(proposal); name;
         name = prompt.AskName(name->empty() ? proposal : *name)) {
        const std::string problem = ProfileNameProblem(*name);
        if (problem.empty()) {
            StoreCustomProfile(*name);
            return;
        }
        ShowMessageKind(boxes, problem, MessageKind::Warning);
    }
}

void TCustomProc::DeleteCustomProfile() {
    const OptionList& box = m_options.cbbCustomProfile;
    if (box.Items().empty() || !MayWriteConfig(kCustomProfileFile))
        return;
    TIniFile32(ConfigPath(kCustomProfileFile)).EraseSection(box.EditText());
}

void TCustomProc::SaveCustomProfile(MessageBoxPresenter& boxes) {
    const std::string& name = m_options.cbbCustomProfile.EditText();
    if (name.empty())
        return;
    const std::string problem = ProfileNameProblem(name);
    if (!problem.empty()) {
        ShowMessageKind(boxes, problem, MessageKind::Warning);
        return;
    }
    StoreCustomProfile(name);
}

void TCustomProc::StoreCustomProfile(const std::string& name) {
    if (!MayWriteConfig(kCustomProfileFile))
        return;
    TIniFile32 profiles(ConfigPath(kCustomProfileFile));
    const std::string stored = SpellingInFile(profiles, name);
    profiles.WriteString(stored, stored, CurrentProfileString());
}
