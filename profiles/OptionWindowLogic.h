#pragma once

#include <array>
#include <cstdint>

#include "profiles/CustomProc.h"
#include "profiles/CustomProfiles.h"

class MessageBoxPresenter;

// What the Options dialog says instead of offering lists when the output type copies every stream.
inline constexpr const char* CopyTypeNotice =
    "Every stream is copied as it is, so the profiles and the advanced options do not apply to "
    "\"Same as source, no re-encoding\". Choose how it cuts:";

// The logic of the Options dialog TfrmOption over OptionSelection: the eight option lists, which
// the user sets by hand, and the custom-profile box with Add, Save and Delete. The Qt window is a
// view that forwards its events and hides itself after OK and Cancel; closing it with the window's
// close button only hides it and keeps every position. For the output type that copies every stream
// it offers the cut choice instead of the lists; OK keeps the choice in MainChoices.
class OptionWindowLogic {
public:
    OptionWindowLogic(TCustomProc& proc, ProfileNamePrompt& prompt, MessageBoxPresenter& boxes);
    ~OptionWindowLogic();
    OptionWindowLogic(const OptionWindowLogic&) = delete;
    OptionWindowLogic& operator=(const OptionWindowLogic&) = delete;

    // Reloads the box, picks the main window's custom profile when the box shows no text, and
    // remembers every position for Cancel. Applies nothing.
    void FormShow();
    void btnAddClick();
    void btnSaveClick();
    void btnDelClick();
    // OK: the main window's profile list is filled again, "Normal Quality" selected, nothing applied.
    void btnApplyClick();
    // Cancel: every position remembered when the dialog was shown is selected again.
    void btnCancelClick();

    // True when the selected output type copies every stream: the option lists do nothing then.
    bool CopiesStreams() const;
    // The cut choice the dialog shows: the kept one when it was shown, then the user's.
    CutMode Cut() const { return m_cut; }
    void SelectCut(CutMode cut) { m_cut = cut; }

private:
    static constexpr std::size_t kRememberedLists = 9; // the eight option lists and the box

    std::array<OptionList*, kRememberedLists> RememberedLists() const;
    void RememberPositions();
    void ReloadBox();
    void SelectLastProfile();

    TCustomProc& m_proc;
    OptionSelection& m_options;
    ProfileNamePrompt& m_prompt;
    MessageBoxPresenter& m_boxes;
    std::array<int32_t, kRememberedLists> m_remembered{};
    CutMode m_cut = CutMode::Exact;
};
