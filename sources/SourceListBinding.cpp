#include "sources/SourceListBinding.h"

#include <utility>

#include "sources/FileDrop.h"
#include "sources/InitFileForm.h"
#include "sources/SourceFileDialog.h"
#include "sources/SourceGridView.h"
#include "sources/SourceListController.h"

TSourceListBinding::TSourceListBinding(QWidget& mainWindow, SourceGridView& grid,
                                       SourceListController& controller, const TInitDir& initDir,
                                       EventPump& pump, CommandRunner runCommand,
                                       std::unique_ptr<SourceFilePicker> picker)
    : m_grid(grid), m_controller(controller), m_runCommand(std::move(runCommand)),
      m_picker(picker ? std::move(picker) : std::make_unique<TSourceFileDialog>(&mainWindow)),
      m_initFileForm(new TFrmInitFileForm(&mainWindow, pump)),
      m_fileDrops(new FileDropFilter([this](const auto& paths) { FilesDropped(paths); }, this)),
      m_openFiles(initDir, *m_picker, *m_initFileForm, [&controller](const std::vector<std::string>& paths) {
          controller.StartAddingSourceFiles(paths);
      }) {
    m_fileDrops->Watch(&mainWindow);
    // The grid's viewport takes drags of its own rows; files dropped on it go to the same handler.
    m_fileDrops->Watch(m_grid.viewport());
    ConnectGrid();
}

TSourceListBinding::~TSourceListBinding() = default;

void TSourceListBinding::ConnectGrid() {
    connect(&m_grid, &SourceGridView::KeyDown, this,
            [this](bool deleteKey) { Run([&] { m_controller.dxTreeSourceFileInfoKeyDown(deleteKey); }); });
    connect(&m_grid, &SourceGridView::KeyUp, this,
            [this] { Run([&] { m_controller.dxTreeSourceFileInfoKeyUp(); }); });
    connect(&m_grid, &SourceGridView::Clicked, this,
            [this] { Run([&] { m_controller.actDxTreeListOnClickExecute(); }); });
    connect(&m_grid, &SourceGridView::Edited, this,
            [this] { Run([&] { m_controller.dxTreeSourceFileInfoEdited(); }); });
    connect(&m_grid, &SourceGridView::RowsDraggedOut, this, [this] { btnRemoveFileClick(); });
}

void TSourceListBinding::Run(const std::function<void()>& command) const {
    if (m_runCommand)
        m_runCommand(command);
    else
        command();
}

void TSourceListBinding::FilesDropped(const std::vector<std::string>& paths) {
    Run([&] { m_controller.StartAddingSourceFiles(SourceListController::WithFolderContents(paths)); });
}

void TSourceListBinding::btnOpenFileClick() {
    Run([this] { m_openFiles.btnOpenFileClick(); });
}

void TSourceListBinding::btnAddFolderClick() {
    Run([this] { m_openFiles.btnAddFolderClick(); });
}

void TSourceListBinding::btnRemoveFileClick() {
    Run([this] { m_controller.btnRemoveFileClick(); });
}

void TSourceListBinding::btnClearFileClick() {
    Run([this] { m_controller.btnClearFileClick(); });
}
