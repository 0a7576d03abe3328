#pragma once

#include "support/MessageBoxes.h"

// Message boxes as QMessageBox: captioned "Rivamo", application-modal, owned by the application's
// active top-level window (or no window when none is active).
class QtMessageBoxes final : public MessageBoxPresenter {
public:
    int Show(const std::string& text, MessageIcon icon, MessageButtons buttons) override;
};
