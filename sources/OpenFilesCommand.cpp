#include "sources/OpenFilesCommand.h"

#include <utility>

#include "sources/SourceListController.h"

TOpenFilesCommand::TOpenFilesCommand(const TInitDir& initDir, SourceFilePicker& picker, BusyPopup& popup,
                                     AddSourceFiles addSourceFiles)
    : m_initDir(initDir), m_picker(picker), m_popup(popup), m_addSourceFiles(std::move(addSourceFiles)) {}

void TOpenFilesCommand::btnOpenFileClick() {
    const std::vector<std::string> paths =
        SourceListController::WithoutDuplicates(m_picker.Pick(m_initDir.Read()));
    if (!paths.empty())
        m_dialogFileName = paths.front();
    // The popup shows also when nothing was chosen: the add then finds nothing to do.
    m_popup.ShowWhile([this, &paths] {
        m_addSourceFiles(paths);
        StoreDialogFolder();
    });
    StoreDialogFolder();
}

void TOpenFilesCommand::btnAddFolderClick() {
    const std::optional<std::string> folder = m_picker.PickFolder(m_initDir.Read());
    if (!folder || folder->empty())
        return;
    m_addSourceFiles(SourceListController::WithFolderContents({*folder}));
    m_initDir.Write(folder->back() == '/' ? *folder : *folder + "/");
}

void TOpenFilesCommand::StoreDialogFolder() {
    if (const std::string folder = FolderPartOf(m_dialogFileName); !folder.empty())
        m_initDir.Write(folder);
}
