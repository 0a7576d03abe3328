#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

#include <QMainWindow>

#include "app/Shortcuts.h"
#include "convert/SizeEstimator.h"
#include "profiles/OptionSelection.h"
#include "settings/MainChoices.h"
#include "settings/MainWindowPlacement.h"
#include "sources/CopySource.h"
#include "sources/SourceList.h"
#include "widgets/BitmapButton.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSizeGrip;
class QTimer;
class OptionListCombo;
class LiveToolTip;
class SkinnedFrame;
class SourceGridView;
class SourceListModel;

// The source list's commands on the main window, given by the window's owner.
struct SourceListCommands {
    std::function<void()> openFiles;     // btnOpenFile, Ctrl+O
    std::function<void()> addFolder;     // btnAddFolder, Ctrl+D
    std::function<void()> removeFiles;   // btnRemoveFile, Ctrl+R
    std::function<void()> clearFiles;    // btnClearFile, Ctrl+L
    std::function<void()> downloadCodec; // the label Label3
};

// The product commands of the main window, given by the window's owner.
struct ProductCommands {
    std::function<void()> homePage; // ActSysHomePage, btnHomePage
    std::function<void()> email;    // ActSysEmail, btnEMail
    std::function<void()> about;    // ActSysAbout, btnAbout
    std::function<void()> help;     // ActSysHelp, btnHelp, F1
};

// The preview's commands on the main window, given by the window's owner.
struct PreviewCommands {
    std::function<void()> play;  // btnPlay, Ctrl+P
    std::function<void()> pause; // btnPause, Ctrl+U
    std::function<void()> stop;  // btnStop, Ctrl+T
    // The preview's further keys; true when the key was one of them (it then goes no further).
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> keys;
};

// The main window's commands that reach the Options dialog and the output folder, given by its owner.
struct OptionCommands {
    std::function<void()> showOptions;        // btnOptions, Ctrl+I
    std::function<void()> selectOutputFolder; // RzBmpButton1 and the hidden btnSelectOutputFolder, Ctrl+B
};

// The main window TFrmMainForm: a frameless window cut to the outline of its background picture, moved by
// dragging the picture or the title, resized by dragging its edges or the grip in its bottom right corner,
// maximized and restored by a double click on the picture or its own button, with its own minimize,
// maximize and close buttons; on it the source grid with its
// three buttons, the output type, profile and output folder, the two end-of-batch boxes, the codec download
// label and the Convert button, each where MainWindowLayout puts it. It shows the core's state and hands the
// user's commands to the logic; what happens on convert, first show and close is given by its owner.
//
// Every key press reaches the window before the focused control and goes on to that control afterwards;
// the shortcut table (app/Shortcuts.h) turns it into a command, which runs the handler given for it with
// SetShortcutCommand. The window gives the handlers of its own buttons (open, remove, clear, convert); the
// others (Options, Play, Pause, Stop, Help, the hidden output-folder button) are given by whoever brings
// those buttons, and until then their keys do nothing.
class TFrmMainForm : public QMainWindow {
    Q_OBJECT

public:
    TFrmMainForm(SourceList& sources, OptionSelection& options, MainChoices& choices);
    ~TFrmMainForm() override;

    // Runs the batch over the source list (ConvertBatch).
    void SetConvertBatch(std::function<void()> convertBatch) { m_convertBatch = std::move(convertBatch); }
    // Runs once, when the window is shown for the first time, before it appears on screen.
    void SetFirstShowHandler(std::function<void()> handler) { m_firstShowHandler = std::move(handler); }
    // Runs whenever the window is closed; it saves the settings and ends the program, or returns
    // false to keep the window open.
    void SetCloseHandler(std::function<bool()> handler) { m_closeHandler = std::move(handler); }
    void SetSourceListCommands(SourceListCommands commands) { m_sourceListCommands = std::move(commands); }
    void SetProductCommands(ProductCommands commands) { m_productCommands = std::move(commands); }
    // The caption and lblTitle: the product name and version.
    void SetTitleText(const QString& text);
    // Puts the preview panel in the upper left part of the window.
    void SetPreview(QWidget* panel, PreviewCommands commands);
    void SetOptionCommands(OptionCommands commands) { m_optionCommands = std::move(commands); }
    // Runs at every tick of tmrClearMemory, which runs from the window's creation.
    void SetMemoryTrim(std::function<void()> trim) { m_memoryTrim = std::move(trim); }
    // The estimator the cut time's tooltip asks for the sizes of constant-quality outputs.
    void SetSizeEstimator(SizeEstimator* estimator) { m_sizeEstimator = estimator; }
    // Where the tooltip reads the sources' sizes and key frames for the copy of every stream.
    void SetCopySourceProbe(CopySourceProbe* probe) { m_copyProbe = probe; }
    // The profile list does nothing for the output type that copies every stream: it is disabled.
    void ShowOutputType();
    // A size estimate has arrived: an open tooltip of the cut time shows it.
    void SizeEstimateArrived();
    // What a shortcut runs: the click handler of the button it is named after. An empty handler makes the
    // key do nothing.
    void SetShortcutCommand(ShortcutCommand command, std::function<void()> handler);

    // The window's place and size (when not maximized), whether it is maximized and the grid's
    // column widths, to be kept for the next run.
    MainWindowPlacement Placement() const;
    // Puts the window and the grid's columns back as kept; a place on no screen (one that has gone
    // since) leaves the window where it is, a size below the minimum takes the minimum. Whether it
    // was maximized is for the one who shows the window.
    void RestorePlacement(const MainWindowPlacement& placement);

    // The Convert command: the batch, which starts its counters at 0.
    void btnConvertClick();
    void btnOpenFileClick();
    void btnAddFolderClick();
    void btnRemoveFileClick();
    void btnClearFileClick();
    void ActSysHomePageExecute();
    void ActSysEmailExecute();
    void ActSysAboutExecute();
    void ActSysHelpExecute();
    void btnPlayClick();
    void btnPauseClick();
    void btnStopClick();
    void btnOptionsClick();
    void RzBmpButton1Click();
    void btnSelectOutputFolderClick();
    // The frame's own buttons.
    void btnWindowMinimizeClick();
    // Maximizes the window, or restores it when it is maximized.
    void btnWindowMaximizeClick();
    void btnWindowCloseClick();

    SkinnedFrame* rzfrmshpfrmConverter = nullptr; // the background picture: outline and drag surface
    QLabel* lblTitle = nullptr;                   // the title, a drag surface too
    BitmapButton* btnWindowMinimize = nullptr;
    BitmapButton* btnWindowMaximize = nullptr;
    BitmapButton* btnWindowClose = nullptr;
    QSizeGrip* grpSize = nullptr;
    // The place of the preview, the player's buttons and the trim bar: an empty, transparent container
    // (MainWindowLayout::pnlPreviewHost), over the bezel and the groove the background draws for them.
    QWidget* pnlPreviewHost = nullptr;
    BitmapButton* btnHomePage = nullptr;
    BitmapButton* btnEMail = nullptr;
    BitmapButton* btnAbout = nullptr;
    BitmapButton* btnHelp = nullptr;
    SourceGridView* dxTreeSourceFileInfo = nullptr;
    BitmapButton* btnOpenFile = nullptr;
    BitmapButton* btnAddFolder = nullptr;
    BitmapButton* btnRemoveFile = nullptr;
    BitmapButton* btnClearFile = nullptr;
    QComboBox* cbbOutputFiletype = nullptr;
    QComboBox* cbbProfile = nullptr;
    BitmapButton* btnOptions = nullptr;
    QLineEdit* edtOutputFolder = nullptr;
    BitmapButton* RzBmpButton1 = nullptr;          // beside the output folder
    BitmapButton* btnSelectOutputFolder = nullptr; // hidden, reached through Ctrl+B
    QCheckBox* chkShutdown = nullptr;
    QCheckBox* chkShowOutputDirectory = nullptr;
    QLabel* Label1 = nullptr; // "Shutdown computer when job is finished."
    QLabel* Label2 = nullptr; // "Show output directory when done"
    QLabel* lblOutputFileTypeName = nullptr;
    QLabel* lblProfileSettings = nullptr;
    QLabel* lblOutputFolderInfo = nullptr;
    QLabel* Label3 = nullptr; // "Click here to download the coder"
    BitmapButton* btnConvert = nullptr;
    QTimer* tmrClearMemory = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Which corner a control keeps its place to as the window grows, or how it grows itself.
    enum class Anchor { TopRight, BottomRight, GridTopRight, Title, Preview, Grid };
    struct AnchoredControl {
        QWidget* control;
        QRect place; // at the minimum size
        Anchor anchor;
    };
    void AnchorControls();
    void LayOutControls();
    void ShowMaximizeButton();
    void BuildFrame();
    void BuildChoices(QWidget* client);
    void BuildListButtons(QWidget* client);
    void BuildProductButtons(QWidget* client);
    void BuildGrid(QWidget* client);
    void BuildOptionButtons(QWidget* client);
    void NameControls();
    void BindChoices();
    void ShowChoices();
    BitmapButton* CommandButton(QWidget* parent, const char* name, ButtonArt art, const char* text,
                                const char* hint, void (TFrmMainForm::*click)());
    static void RunIfSet(const std::function<void()>& command);
    // True when the key was a shortcut of the table (it still goes on to the focused control).
    bool HandleShortcut(int key, Qt::KeyboardModifiers modifiers);

    SourceList& m_sources;
    OptionSelection& m_options;
    SizeEstimator* m_sizeEstimator = nullptr;
    CopySourceProbe* m_copyProbe = nullptr;
    MainChoices& m_choices;
    SourceListModel* m_sourceModel = nullptr;
    LiveToolTip* m_gridToolTip = nullptr; // a child of the grid
    OptionListCombo* m_outputFiletypeBinding = nullptr;
    OptionListCombo* m_profileBinding = nullptr;
    bool m_shownOnce = false;
    std::vector<AnchoredControl> m_anchored;
    std::function<void()> m_convertBatch;
    SourceListCommands m_sourceListCommands;
    ProductCommands m_productCommands;
    PreviewCommands m_previewCommands;
    OptionCommands m_optionCommands;
    std::function<void()> m_memoryTrim;
    std::function<void()> m_firstShowHandler;
    std::function<bool()> m_closeHandler;
    std::array<std::function<void()>, ShortcutCommandCount> m_shortcutCommands;
};
