#include "profiles/OptionWindowLogic.h"

#include <string>
#include <vector>

OptionWindowLogic::OptionWindowLogic(TCustomProc& proc, ProfileNamePrompt& prompt, MessageBoxPresenter& boxes)
    : m_proc(proc), m_options(proc.Options()), m_prompt(prompt), m_boxes(boxes) {
    // Choosing or typing a custom profile in the box applies it.
    m_options.cbbCustomProfile.SetChangeHandler([this] { m_proc.ApplyCustomProfile(); });
    RememberPositions();
}

OptionWindowLogic::~OptionWindowLogic() {
    m_options.cbbCustomProfile.SetChangeHandler(nullptr);
}

std::array<OptionList*, OptionWindowLogic::kRememberedLists> OptionWindowLogic::RememberedLists() const {
    return {&m_options.cbbVideoSize,       &m_options.cbbVideoBitrate,  &m_options.cbbFramerate,
            &m_options.cbbAspectratio,     &m_options.cbbAudioBitrate,  &m_options.cbbAudioSample,
            &m_options.cbbAudioVolumeGain, &m_options.cbbAudioChannels, &m_options.cbbCustomProfile};
}

void OptionWindowLogic::FormShow() {
    ReloadBox();
    // A built-in profile gives a negative position: nothing is selected.
    if (m_options.cbbCustomProfile.EditText().empty())
        m_options.cbbCustomProfile.Select(m_options.cbbProfile.ItemIndex() - kBuiltInProfileCount);
    RememberPositions();
    m_cut = m_proc.Choices().Cut();
}

bool OptionWindowLogic::CopiesStreams() const {
    const OutputTypeEntry* type = OutputTypeAt(m_options.cbbOutputFiletype.ItemIndex());
    return type != nullptr && type->style == OptionStyle::StreamCopy;
}

void OptionWindowLogic::RememberPositions() {
    const auto lists = RememberedLists();
    for (std::size_t i = 0; i < lists.size(); ++i)
        m_remembered[i] = lists[i]->ItemIndex();
}

void OptionWindowLogic::btnAddClick() {
    m_proc.AddCustomProfile(m_prompt, m_boxes);
    ReloadBox();
    SelectLastProfile();
}

void OptionWindowLogic::btnSaveClick() {
    m_proc.SaveCustomProfile(m_boxes);
    ReloadBox();
    SelectLastProfile();
}

void OptionWindowLogic::btnDelClick() {
    m_proc.DeleteCustomProfile();
    ReloadBox();
    SelectLastProfile();
    if (m_options.cbbCustomProfile.Items().empty())
        m_options.cbbCustomProfile.SetEditText("");
}

void OptionWindowLogic::btnApplyClick() {
    m_proc.Choices().SetCut(m_cut);
    m_options.cbbProfile.Clear();
    m_proc.FillProfileList(m_options.cbbProfile);
}

void OptionWindowLogic::btnCancelClick() {
    const auto lists = RememberedLists();
    for (std::size_t i = 0; i < lists.size(); ++i)
        lists[i]->Select(m_remembered[i]);
}

// The items are replaced by the file's profile names; the text stays and nothing is selected.
void OptionWindowLogic::ReloadBox() {
    m_options.cbbCustomProfile.ReplaceItems(m_proc.ReadConfigSections(kCustomProfileFile));
}

// Selected by program: the profile is not applied and the option lists keep their positions.
void OptionWindowLogic::SelectLastProfile() {
    OptionList& box = m_options.cbbCustomProfile;
    box.Select(static_cast<int32_t>(box.Items().size()) - 1);
}
