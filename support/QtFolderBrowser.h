#pragma once

#include "support/FolderBrowser.h"

class QWidget;

// The folder dialog as a Qt file dialog for existing folders, modal to the program.
class QtFolderBrowser final : public FolderBrowser {
public:
    explicit QtFolderBrowser(QWidget* parent) : m_parent(parent) {}

    std::optional<std::string> BrowseForFolder(const std::string& title,
                                               const std::string& startFolder) override;

private:
    QWidget* m_parent;
};
