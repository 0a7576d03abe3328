#include "support/MessageBoxes.h"

#include <array>

namespace {

constexpr std::array KindIcons{MessageIcon::Error, MessageIcon::Warning, MessageIcon::Question,
                               MessageIcon::Information};

constexpr std::array ButtonSets{MessageButtons::Ok, MessageButtons::YesNo, MessageButtons::YesNoCancel};
constexpr int FirstButtonType = 1;

} // namespace

bool ShowMessageKind(MessageBoxPresenter& presenter, const std::string& message, MessageKind kind) {
    const auto index = static_cast<int>(kind);
    if (index < 0 || index >= static_cast<int>(KindIcons.size()))
        return false;
    return presenter.Show(message, KindIcons[static_cast<std::size_t>(index)], MessageButtons::Ok) != 0;
}

int ShowMessageButtons(MessageBoxPresenter& presenter, const std::string& message, int type) {
    const int index = type - FirstButtonType;
    if (index < 0 || index >= static_cast<int>(ButtonSets.size()))
        return 0;
    return presenter.Show(message, MessageIcon::Information, ButtonSets[static_cast<std::size_t>(index)]);
}
