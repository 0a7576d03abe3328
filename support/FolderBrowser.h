#pragma once

#include <optional>
#include <string>

// The browse-for-folder dialog: modal to the program, file-system folders only.
class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    // Shows the dialog under the title, opened at the start folder (or the nearest folder above it
    // that exists); the chosen folder, or no value when it was cancelled.
    virtual std::optional<std::string> BrowseForFolder(const std::string& title,
                                                       const std::string& startFolder) = 0;
};
