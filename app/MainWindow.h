#pragma once

#include <functional>

#include <QMainWindow>

#include "app/MainChoices.h"
#include "profiles/OptionSelection.h"
#include "sources/SourceList.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QTimer;
class OptionListCombo;
class SourceGridView;
class SourceListModel;
class TCustomProc;

// The source list's commands on the main window, given by the window's owner.
struct SourceListCommands {
    std::function<void()> openFiles;     // btnOpenFile, Ctrl+O
    std::function<void()> removeFiles;   // btnRemoveFile, Ctrl+R
    std::function<void()> clearFiles;    // btnClearFile, Ctrl+L
    std::function<void()> downloadCodec; // the label Label3
};

// The main window's commands that reach the Options dialog and the output folder, given by its owner.
struct OptionCommands {
    std::function<void()> showOptions;        // btnOptions, Ctrl+I
    std::function<void()> selectOutputFolder; // RzBmpButton1 and the hidden btnSelectOutputFolder, Ctrl+B
};

// The main window TFrmMainForm: the source grid with its three buttons, the output type, profile and
// output folder, the two end-of-batch boxes, the codec download label and the Convert button. It shows the
// core's state and hands the user's commands to the logic; what happens on convert, first show and close is
// given by its owner.
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
    void SetSourceListCommands(SourceListCommands commands) { m_sourceListCommands = std::move(commands); }
    void SetOptionCommands(OptionCommands commands) { m_optionCommands = std::move(commands); }
    // Runs at every tick of tmrClearMemory, which runs from the window's creation.
    void SetMemoryTrim(std::function<void()> trim) { m_memoryTrim = std::move(trim); }

    // The Convert command: FilesDone := 0, then the batch.
    void btnConvertClick();
    void btnOpenFileClick();
    void btnRemoveFileClick();
    void btnClearFileClick();
    void btnOptionsClick();
    void RzBmpButton1Click();
    void btnSelectOutputFolderClick();

    SourceGridView* dxTreeSourceFileInfo = nullptr;
    QPushButton* btnOpenFile = nullptr;
    QPushButton* btnRemoveFile = nullptr;
    QPushButton* btnClearFile = nullptr;
    QComboBox* cbbOutputFiletype = nullptr;
    QComboBox* cbbProfile = nullptr;
    QPushButton* btnOptions = nullptr;
    QLineEdit* edtOutputFolder = nullptr;
    QPushButton* RzBmpButton1 = nullptr;          // beside the output folder
    QPushButton* btnSelectOutputFolder = nullptr; // hidden, reached through Ctrl+B
    QCheckBox* chkShutdown = nullptr;
    QCheckBox* chkShowOutputDirectory = nullptr;
    QLabel* Label1 = nullptr; // "Shutdown computer when job is finished."
    QLabel* Label2 = nullptr; // "Show output directory when done"
    QLabel* lblOutputFileTypeName = nullptr;
    QLabel* lblProfileSettings = nullptr;
    QLabel* lblOutputFolderInfo = nullptr;
    QLabel* Label3 = nullptr; // "Click here to download the coder"
    QPushButton* btnConvert = nullptr;
    QTimer* tmrClearMemory = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    QLayout* BuildChoices(QWidget* client);
    QLayout* BuildListButtons(QWidget* client);
    void BuildGrid(QWidget* client);
    void BuildOptionButtons(QWidget* client);
    void NameControls();
    void BindChoices();
    void ShowChoices();
    QPushButton* CommandButton(QWidget* parent, const char* name, const char* text, const char* hint,
                               void (TFrmMainForm::*click)());
    static void RunIfSet(const std::function<void()>& command);
    bool HandleShortcut(int key, Qt::KeyboardModifiers modifiers);

    SourceList& m_sources;
    OptionSelection& m_options;
    MainChoices& m_choices;
    TCustomProc& m_proc;
    SourceListModel* m_sourceModel = nullptr;
    OptionListCombo* m_outputFiletypeBinding = nullptr;
    OptionListCombo* m_profileBinding = nullptr;
    bool m_shownOnce = false;
    std::function<void()> m_convertBatch;
    SourceListCommands m_sourceListCommands;
    OptionCommands m_optionCommands;
    std::function<void()> m_memoryTrim;
    std::function<void()> m_firstShowHandler;
    std::function<void()> m_closeHandler;
};
