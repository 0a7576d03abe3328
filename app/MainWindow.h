#pragma once

#include <functional>

#include <QMainWindow>

#include "app/MainChoices.h"
#include "profiles/OptionSelection.h"
#include "sources/SourceList.h"

class QCheckBox;
class QComboBox;
class QItemSelection;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class OptionListCombo;
class SourceListModel;
class TCustomProc;

// The main window TFrmMainForm: the source grid, the output type, profile and output folder, the
// two end-of-batch boxes and the Convert button. It shows the core's state and hands the user's
// commands to the logic; what happens on convert, first show and close is given by its owner.
class TFrmMainForm : public QMainWindow {
    Q_OBJECT

public:
    TFrmMainForm(SourceList& sources, OptionSelection& options, MainChoices& choices, TCustomProc& proc);
    ~TFrmMainForm() override;

    // Runs the batch over the source list (ConvertBatch).
    void SetConvertBatch(std::function<void()> convertBatch) { m_convertBatch = std::move(convertBatch); }
    // Runs once, when the window is shown for the first time, before it appears on screen.
    void SetFirstShowHandler(std::function<void()> handler) { m_firstShowHandler = std::move(handler); }
    // Runs whenever the window is closed; it saves the settings and ends the program.
    void SetCloseHandler(std::function<void()> handler) { m_closeHandler = std::move(handler); }

    // The Convert command: FilesDone := 0, then the batch.
    void btnConvertClick();

    QTreeView* dxTreeSourceFileInfo = nullptr;
    QComboBox* cbbOutputFiletype = nullptr;
    QComboBox* cbbProfile = nullptr;
    QLineEdit* edtOutputFolder = nullptr;
    QCheckBox* chkShutdown = nullptr;
    QCheckBox* chkShowOutputDirectory = nullptr;
    QLabel* Label1 = nullptr; // "Shutdown computer when job is finished."
    QLabel* Label2 = nullptr; // "Show output directory when done"
    QLabel* lblOutputFileTypeName = nullptr;
    QLabel* lblProfileSettings = nullptr;
    QLabel* lblOutputFolderInfo = nullptr;
    QPushButton* btnConvert = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BindChoices();
    void BindGridSelection();
    void ShowChoices();
    void ShowListSelection();
    void TakeGridSelection();
    bool HandleShortcut(int key, Qt::KeyboardModifiers modifiers);

    SourceList& m_sources;
    OptionSelection& m_options;
    MainChoices& m_choices;
    TCustomProc& m_proc;
    SourceListModel* m_sourceModel = nullptr;
    OptionListCombo* m_outputFiletypeBinding = nullptr;
    OptionListCombo* m_profileBinding = nullptr;
    bool m_shownOnce = false;
    bool m_syncingSelection = false;
    std::function<void()> m_convertBatch;
    std::function<void()> m_firstShowHandler;
    std::function<void()> m_closeHandler;
};
