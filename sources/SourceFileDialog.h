#pragma once

#include "sources/OpenFilesCommand.h"

class QWidget;

// The open dialog dlgOpenSourceFile as a Qt file dialog: several existing files, the source file
// filter, starting in the given folder; and the folder chooser of Add Folder.
class TSourceFileDialog final : public SourceFilePicker {
public:
    explicit TSourceFileDialog(QWidget* parent) : m_parent(parent) {}

    std::vector<std::string> Pick(const std::string& folder) override;
    std::optional<std::string> PickFolder(const std::string& folder) override;

private:
    QWidget* m_parent;
};
