#pragma once

#include "profiles/CustomProfiles.h"

// The name prompt as a one-line Qt input dialog captioned "Rivamo", in front of the window the
// user asked from.
class QtProfileNamePrompt final : public ProfileNamePrompt {
public:
    std::optional<std::string> AskName(const std::string& proposal) override;
};
