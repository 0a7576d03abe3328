#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QObject>
#include <QTemporaryDir>

#include "app/ProductInfo.h"
#include "convert/BatchDriver.h"
#include "convert/BatchSupervisor.h"
#include "convert/BatchTiming.h"
#include "convert/BatchView.h"
#include "convert/CachedCopyFacts.h"
#include "convert/CommonLib.h"
#include "convert/CommonLibCommands.h"
#include "convert/ConvertingState.h"
#include "convert/PosixProcessLauncher.h"
#include "convert/SizeEstimator.h"
#include "profiles/CustomProc.h"
#include "profiles/OptionSelection.h"
#include "settings/MainChoices.h"
#include "sources/CopyCutGuide.h"
#include "sources/FfmpegCopySourceProbe.h"
#include "sources/FfmpegMediaProbe.h"
#include "sources/InitDir.h"
#include "sources/MpvPlayer.h"
#include "sources/PreviewPlayer.h"
#include "sources/SourceList.h"
#include "sources/SourceListController.h"
#include "sources/TrimBar.h"
#include "sources/TrimBarState.h"
#include "support/DbusDesktopSession.h"
#include "support/DesktopShell.h"
#include "support/FileFunc.h"
#include "support/Log.h"
#include "support/LogindPower.h"
#include "support/MessageBoxes.h"
#include "support/ProcessHelpers.h"
#include "support/QtEventPump.h"
#include "support/SteadyClock.h"

class OptionWindowLogic;
class CopyFactsPrefetcher;
class QtCopySourceCache;
class QtDurationMeasurer;
class TCopyCutBinding;
class QtFolderBrowser;
class SourceListKeeper;
class SourceThumbnails;
class QtProfileNamePrompt;
class TFrmMainForm;
class TfrmBatchSummary;
class TfrmConverting;
class TfrmOption;
class TSourceListBinding;
class TPreviewPanel;

// What the running program may take from its starter instead of the real thing. main() leaves
// everything as it is; tests shorten the batch's pauses and keep the desktop and the power alone.
struct ProgramOptions {
    BatchTiming timing;
    Shell* shell = nullptr;     // the desktop's default handlers when null
    Power* power = nullptr;     // systemd-logind and the C library when null
    std::string dataFolder;     // where Config/, log.txt and the script go; the program folder when empty
    std::string executablePath; // whose FileVersion the caption shows; the running executable when empty
    int splashTicks = 2;        // seconds the splash stays up at least
    MpvOutput previewOutput = MpvOutput::Window;
    DesktopSession* desktop = nullptr; // the desktop over D-Bus when null
};

// The running program: the core objects and the windows, created in start-up order and living
// until the process ends. main() gives it the folder of the executable; tests give a temporary one.
class ProgramShell : private BatchView {
public:
    // endProcess ends the process at once; it is called when the main window closes and after the
    // power-off request at the end of a batch.
    ProgramShell(std::string programFolder, MessageBoxPresenter& boxes, std::function<void()> endProcess,
                 ProgramOptions options = {});
    ~ProgramShell() override;
    ProgramShell(const ProgramShell&) = delete;
    ProgramShell& operator=(const ProgramShell&) = delete;

    // Shows the main window centred on the screen; its first show shows the splash, which
    // initialises the program, then fills the option lists (loading the user settings) and applies
    // the selected profile. When a companion library is missing, the program ends after that.
    void Start();

    // The product commands of the main window.
    void OpenHomePage();
    void SendEMail();
    void OpenHelp();
    void ShowAboutForm();
    // The system asks the program to end (SIGTERM): as a confirmed close, without a question;
    // during a batch the transcoder is stopped first, and the settings are saved.
    void EndOnRequest();

    const RecSoftInfo& SoftInfo() const { return m_softInfo; }

    TFrmMainForm& MainForm() { return *m_mainForm; }
    TfrmConverting& ProgressForm() { return *m_progressForm; }
    TfrmOption& OptionForm() { return *m_optionForm; }
    TCustomProc& CustomProc() { return m_customProc; }
    SourceList& Sources() { return m_sources; }
    SourceListController& SourceController() { return m_sourceController; }
    PreviewPlayer& Preview() { return m_previewPlayer; }
    TrimBar& TrimSelection() { return m_trimBarLogic; }
    TrimBarState& TrimState() { return m_trimBar; }
    // The facts of the listed files for a cut without re-encoding, read in the background.
    CopySourceCache& CopyFacts();
    TPreviewPanel& PreviewPanel() { return *m_previewPanel; }
    OptionSelection& Options() { return m_options; }
    MainChoices& Choices() { return m_choices; }
    ConvertingState& Progress() { return m_progress; }
    BatchDriver& Batch() { return *m_batch; }
    BatchSupervisor& Supervisor() { return *m_supervisor; }
    TfrmBatchSummary& SummaryForm() { return *m_summaryForm; }

private:
    void BindSourceList();
    void RestoreSourceList();
    void BindPreview();
    void BindCopyCut();
    void BindCopyOutputs();
    void BuildSupervisor(DesktopSession* desktop);
    void BuildOptionForm();
    void SelectOutputFolder();
    void MainFormShow();
    void ConvertBatch();
    void WireProfileLists();
    void BuildSizeEstimator();
    void RequestSizeEstimates();
    void ShowOutputType();
    bool MainFormCloseQuery();
    void MainFormClose();
    void RemoveLeftovers();
    void ShowSplash();
    void InitializeApplication();
    void CheckCompanionFiles();

    // BatchView: how the batch moves the windows.
    void ShowProgress() override;
    void HideProgress() override;
    void SetMainEnabled(bool enabled) override;
    void EndProgram() override;

    const std::string m_programFolder; // with a trailing "/"
    const std::string m_dataFolder;    // with a trailing "/"
    const std::string m_executablePath;
    const int m_splashTicks;
    RecSoftInfo m_softInfo;
    bool m_terminateRequested = false;
    MessageBoxPresenter& m_boxes;
    const std::function<void()> m_endProcess;
    bool m_closeAfterBatch = false;  // the main window was closed during a batch, and confirmed
    bool m_waitingToConvert = false; // Convert waits for the rows' durations

    // The core state the windows show.
    MainChoices m_choices;
    OptionSelection m_options;
    SourceList m_sources;
    ConvertingState m_progress;

    // The controllers and the services they use.
    TCustomProc m_customProc;
    TAppFunc m_appFunc;
    TFileFunc m_fileFunc;
    TCommonLib m_commonLib;
    CommonLibCommands m_commands;
    PosixProcessLauncher m_launcher;
    // Sample encodes for the size estimates run in a folder of their own, removed at the end.
    QTemporaryDir m_sampleFolder;
    // Where the estimator's answers are posted to reach the main window; it goes, with what is
    // posted to it, right after the estimator has stopped.
    std::unique_ptr<QObject> m_estimateArrivals;
    std::unique_ptr<SizeEstimator> m_estimator;
    SteadyClock m_clock;
    QtEventPump m_pump;
    DesktopShell m_desktopShell;
    LogindPower m_logindPower;
    Shell& m_shell;
    Power& m_power;
    std::unique_ptr<BatchDriver> m_batch;

    // The source list's commands, the preview and the trim bar. The media player outlives the
    // windows: the video window frees its render context before the player goes.
    FfmpegMediaProbe m_probe;
    TrimBarState m_trimBar;
    MpvPlayer m_media;
    PreviewPlayer m_previewPlayer;
    TrimBar m_trimBarLogic;
    SourceListController m_sourceController;
    TInitDir m_initDir;
    // Goes before the controller: no measurement reaches it after it has gone.
    std::unique_ptr<QtDurationMeasurer> m_measurer;
    std::unique_ptr<SourceThumbnails> m_thumbnails;
    // A cut without re-encoding: the files' key frames, read in the background (also while their
    // durations are measured), and the views that show them.
    FfmpegCopySourceProbe m_copyProbe;
    std::unique_ptr<QtCopySourceCache> m_copyFacts;
    std::unique_ptr<CopyCutGuide> m_copyCut;
    std::unique_ptr<CopyFactsPrefetcher> m_copyPrefetcher;
    std::unique_ptr<TCopyCutBinding> m_copyCutBinding;
    std::unique_ptr<CachedCopyFacts> m_batchCopyFacts;   // the command lines and the pre-flight
    std::unique_ptr<CachedCopyFacts> m_toolTipCopyFacts; // the cut time's tooltip
    std::unique_ptr<SourceListKeeper> m_listKeeper;      // from the first show on

    std::unique_ptr<TFrmMainForm> m_mainForm;
    std::unique_ptr<TfrmConverting> m_progressForm;
    std::unique_ptr<TSourceListBinding> m_sourceListBinding; // goes before the main window
    TPreviewPanel* m_previewPanel = nullptr;                 // a child of the main window

    // The checks of every batch, its summary window and the desktop it informs.
    DbusDesktopSession m_dbusDesktop;
    std::unique_ptr<TfrmBatchSummary> m_summaryForm;
    std::unique_ptr<BatchSupervisor> m_supervisor;
    // The Options dialog and the two prompts of the main window's option commands.
    std::unique_ptr<QtProfileNamePrompt> m_namePrompt;
    std::unique_ptr<QtFolderBrowser> m_folderBrowser;
    std::unique_ptr<OptionWindowLogic> m_optionLogic;
    std::unique_ptr<TfrmOption> m_optionForm;
};
