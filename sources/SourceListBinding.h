#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>

#include "sources/OpenFilesCommand.h"

class EventPump;
class FileDropFilter;
class QWidget;
class SourceGridView;
class SourceListController;
class TFrmInitFileForm;
class TInitDir;

// Connects the source list's windows on the main window to the list's commands: the grid's events
// (keys, click, ended edits, rows dragged out), files and folders dropped on the window or the
// grid, the open command with its dialog and busy popup, and the Add Folder command. Rows appear at
// once; their durations are measured by the controller's measurer. Its owner keeps it no longer than the main
// window.
class TSourceListBinding final : public QObject {
    Q_OBJECT

public:
    // Runs one user command; the program's runner reports an error the command lets through.
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    // picker: the open dialog; null for the file dialog of the main window.
    TSourceListBinding(QWidget& mainWindow, SourceGridView& grid, SourceListController& controller,
                       const TInitDir& initDir, EventPump& pump, CommandRunner runCommand,
                       std::unique_ptr<SourceFilePicker> picker = nullptr);
    ~TSourceListBinding() override;

    // The commands behind the buttons and Ctrl+O, Ctrl+D, Ctrl+R and Ctrl+L.
    void btnOpenFileClick();
    void btnAddFolderClick();
    void btnRemoveFileClick();
    void btnClearFileClick();

    TFrmInitFileForm& FrmInitFileForm() { return *m_initFileForm; }

private:
    void ConnectGrid();
    // The dropped-files handler: the paths (a folder by the files below it) go to the add
    // directly, without the popup.
    void FilesDropped(const std::vector<std::string>& paths);
    void Run(const std::function<void()>& command) const;

    SourceGridView& m_grid;
    SourceListController& m_controller;
    CommandRunner m_runCommand;
    std::unique_ptr<SourceFilePicker> m_picker;
    TFrmInitFileForm* m_initFileForm; // owned by the main window
    FileDropFilter* m_fileDrops;      // owned by this binding
    TOpenFilesCommand m_openFiles;
};
