// TCustomProc's option lists and profile application: filling the lists from the catalogue and
// positioning six of them by the chosen built-in or custom profile.

#include "profiles/CustomProc.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <stdexcept>
#include <string>
#include <vector>

#include "profiles/CatalogueLists.h"
#include "profiles/CustomProfiles.h"
#include "settings/IniFiles32.h"
#include "support/Log.h"
#include "support/Text.h"

namespace {

constexpr char kConfigFolder[] = "Config/";
constexpr char kNoProfile[] = "none|none|none|none|none|none";
constexpr char kLeaveAlone[] = "none";
constexpr char kFieldDelimiter = '|';
constexpr std::size_t kProfileFields = 6;
// The lists of ProfileLists, as the Options dialog labels them.
constexpr std::array<const char*, kProfileFields> kFieldNames = {
    "video size", "frame rate", "video bitrate", "audio bitrate", "audio channels", "sample rate"};

// A decimal integer: optional sign and digits, nothing else, within 32 bits.
int32_t ReadDecimal(const std::string& text) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-')
        ++first; // from_chars takes a minus sign only
    int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last)
        throw std::invalid_argument("'" + text + "' is not a valid integer value");
    return value;
}

// The six lists a profile positions, in the order of its fields.
std::array<OptionList*, kProfileFields> ProfileLists(OptionSelection& options) {
    return {&options.cbbVideoSize,    &options.cbbFramerate,     &options.cbbVideoBitrate,
            &options.cbbAudioBitrate, &options.cbbAudioChannels, &options.cbbAudioSample};
}

// The built-in profile string of the quality at the position for the output type, or
// kNoProfile when either position names none.
std::string BuiltInProfile(int32_t outputType, int32_t quality) {
    const OutputTypeEntry* type = OutputTypeAt(outputType);
    if (type == nullptr || quality < 0 || static_cast<std::size_t>(quality) >= type->profiles.size())
        return kNoProfile;
    return type->profiles[static_cast<std::size_t>(quality)];
}

// The profile string has no aspect field. A modern output type keeps the source's shape, so its
// built-in profiles show "Same as source"; a classic type never had that item, so it gets its own
// default back instead of passing no aspect at all.
void ApplyBuiltInAspect(int32_t outputType, OptionList& aspect) {
    const OutputTypeEntry* type = OutputTypeAt(outputType);
    if (type == nullptr)
        return;
    const std::vector<std::string> entries = CatalogueList(CatalogueTable::cstAspectRatios);
    if (type->style != OptionStyle::Classic) {
        const auto same = std::find(entries.begin(), entries.end() - 1, SameAsSourceItem);
        aspect.Select(static_cast<int32_t>(same - entries.begin()));
    } else if (aspect.SelectedText() == SameAsSourceItem) {
        aspect.Select(ReadDecimal(entries.back()));
    }
}

// Replaces the list's items by the names unless it already holds exactly these, so that a
// refill keeps the selection of an unchanged list.
void ReplaceChangedItems(OptionList& list, const std::vector<std::string>& names) {
    if (list.Items() != names)
        list.ReplaceItems(names);
}

} // namespace

std::vector<std::string> TCustomProc::FillOptionLists() {
    std::vector<std::string> problems;
    FillCatalogueLists(m_options);
    try {
        FillProfileList(m_options.cbbProfile);
    } catch (const TIniFileOpenError& error) {
        // The lists are filled without custom profiles; the profile file is not written over.
        m_unreadConfigFiles.insert(kCustomProfileFile);
        problems.emplace_back(error.what());
        FillProfileList(m_options.cbbProfile);
    }
    try {
        LoadUserSettings();
    } catch (const TIniFileOpenError& error) {
        problems.emplace_back(error.what());
    }
    return problems;
}

void TCustomProc::FillProfileList(OptionList& list) {
    const std::vector<std::string> qualities = CatalogueList(CatalogueTable::cstQualityNames);
    const std::vector<std::string> customNames = m_unreadConfigFiles.contains(kCustomProfileFile)
                                                     ? std::vector<std::string>()
                                                     : ReadConfigSections(kCustomProfileFile);
    // One change for all the names: a view redraws the list once, not once per profile.
    std::vector<std::string> names(qualities.begin(), qualities.end() - (qualities.empty() ? 0 : 1));
    names.insert(names.end(), customNames.begin(), customNames.end());
    list.AppendItems(names);
    // The custom-profile box holds the same names in the same order, so that a custom profile
    // chosen in the profile list resolves even before the Options dialog was ever shown.
    ReplaceChangedItems(m_options.cbbCustomProfile, customNames);
    list.Select(ReadDecimal(qualities.back()));
}

void TCustomProc::ApplySelectedProfile() {
    const int32_t profile = m_options.cbbProfile.ItemIndex();
    const int32_t outputType = m_options.cbbOutputFiletype.ItemIndex();
    std::string profileText = kNoProfile;
    if (profile < kBuiltInProfileCount) {
        profileText = BuiltInProfile(outputType, profile);
        if (profileText != kNoProfile)
            ApplyBuiltInAspect(outputType, m_options.cbbAspectratio);
        // A custom profile left selected would be applied again before every file and override
        // the built-in quality the main window shows.
        m_options.cbbCustomProfile.Select(-1);
    } else {
        m_options.cbbCustomProfile.Select(profile - kBuiltInProfileCount);
        ApplyCustomProfile();
    }

    const std::vector<std::string> fields = SplitText(profileText, kFieldDelimiter);
    const auto lists = ProfileLists(m_options);
    for (std::size_t i = 0; i < lists.size() && i < fields.size(); ++i) {
        if (fields[i] != kLeaveAlone)
            lists[i]->Select(ReadDecimal(fields[i]));
    }
}

void TCustomProc::ApplyCustomProfile() {
    const std::string name = m_options.cbbCustomProfile.SelectedText();
    if (name.empty())
        return;
    const std::string stored = ReadCustomProfile();
    const std::vector<std::string> fields = SplitText(stored, kFieldDelimiter);
    if (stored.empty() || fields.size() != kProfileFields) {
        ReportProfileProblems(name, {stored.empty() ? "it has no stored value"
                                                    : "it has " + std::to_string(fields.size()) + " of " +
                                                          std::to_string(kProfileFields) + " fields"});
        return;
    }
    // A field that is no integer stops here with an error; the fields before it stay applied.
    const auto lists = ProfileLists(m_options);
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        if (fields[i].empty()) {
            problems.push_back(std::string("the ") + kFieldNames[i] + " is missing");
            continue;
        }
        const int32_t position = ReadDecimal(fields[i]);
        lists[i]->Select(position);
        if (lists[i]->ItemIndex() != position)
            problems.push_back(std::string("the ") + kFieldNames[i] + " " + fields[i] + " is out of range");
    }
    ReportProfileProblems(name, problems);
}

void TCustomProc::ReportProfileProblems(const std::string& name, const std::vector<std::string>& problems) {
    if (problems.empty() || !m_reportedProfiles.insert(name).second)
        return;
    std::string line = "Custom profile \"" + name + "\" is not applied as stored: ";
    for (std::size_t i = 0; i < problems.size(); ++i)
        line += (i == 0 ? "" : ", ") + problems[i];
    TAppFunc(m_programFolder).WriteLog(line + "; those lists fall back to their defaults.");
}

std::string TCustomProc::ReadCustomProfile() const {
    return ReadConfigValue(kCustomProfileFile, m_options.cbbCustomProfile.SelectedText());
}

std::string TCustomProc::CurrentProfileString() const {
    std::string text;
    for (const OptionList* list : ProfileLists(m_options)) {
        if (!text.empty())
            text += kFieldDelimiter;
        text += std::to_string(list->ItemIndex());
    }
    return text;
}

std::vector<std::string> TCustomProc::ReadConfigSections(const std::string& fileName) const {
    std::vector<std::string> sections;
    TIniFile32(ConfigPath(fileName)).ReadSections(sections);
    return sections;
}

std::string TCustomProc::ReadConfigValue(const std::string& fileName, const std::string& name) const {
    return TIniFile32(ConfigPath(fileName)).ReadString(name, name, "");
}

std::string TCustomProc::ConfigPath(const std::string& fileName) const {
    return m_programFolder + kConfigFolder + fileName;
}
