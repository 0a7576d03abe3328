#include "app/ProgramShell.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <utility>

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "app/Companions.h"
#include "app/FlashForm.h"
#include "app/JpegPicture.h"
#include "app/MainWindow.h"
#include "app/RivamoApplication.h"
#include "convert/BatchSummaryWindow.h"
#include "convert/ConvertingWindow.h"
#include "convert/OutputPublisher.h"
#include "convert/TranscoderNames.h"
#include "profiles/Catalogue.h"
#include "profiles/OptionWindow.h"
#include "profiles/OptionWindowLogic.h"
#include "profiles/QtProfileNamePrompt.h"
#include "settings/MainWindowPlacement.h"
#include "sources/CodeErrorForm.h"
#include "sources/CodecDownload.h"
#include "sources/CopyCutBinding.h"
#include "sources/PreviewPanel.h"
#include "sources/QtCopySourceCache.h"
#include "sources/QtDurationMeasurer.h"
#include "sources/SourceGridView.h"
#include "sources/SourceListBinding.h"
#include "sources/SourceListKeeper.h"
#include "sources/SourceListModel.h"
#include "sources/SourceThumbnails.h"
#include "support/FileLock.h"
#include "support/QtFolderBrowser.h"
#include "support/UserDataFolder.h"

namespace {

constexpr const char* OutputFolderBelowHome = "/Rivamo";
constexpr int InformationOkType = 1; // ShowMessageButtons' information box with OK
constexpr const char* NotFoundMessage = " is not found. Please reinstall this program.";
constexpr const char* ManualName = "Manual.html";
constexpr const char* MailtoScheme = "mailto:";
constexpr const char* LeftoverRemoved = "Removed an unfinished output left by an earlier run: ";

std::string RunningExecutable() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

std::string DefaultOutputFolder() {
    return HomeFolder() + OutputFolderBelowHome;
}

} // namespace

ProgramShell::ProgramShell(std::string programFolder, MessageBoxPresenter& boxes,
                           std::function<void()> endProcess, ProgramOptions options)
    : m_programFolder(std::move(programFolder)),
      m_dataFolder(options.dataFolder.empty() ? m_programFolder : options.dataFolder),
      m_executablePath(options.executablePath.empty() ? RunningExecutable() : options.executablePath),
      m_splashTicks(options.splashTicks), m_boxes(boxes), m_endProcess(std::move(endProcess)),
      m_choices(DefaultOutputFolder()), m_customProc(m_dataFolder, m_options, m_choices),
      m_appFunc(m_dataFolder),
      m_commonLib(m_programFolder, m_customProc, m_sources, m_appFunc, m_fileFunc, m_dataFolder),
      m_commands(m_commonLib), m_shell(options.shell != nullptr ? *options.shell : m_desktopShell),
      m_power(options.power != nullptr ? *options.power : m_logindPower),
      m_media(m_probe, options.previewOutput),
      m_previewPlayer(m_media, m_sources, m_trimBar,
                      [this](const std::string& line) { m_appFunc.WriteLog(line); }),
      m_trimBarLogic(m_sources, m_trimBar, m_previewPlayer, m_pump),
      m_sourceController(
          m_sources, m_probe, m_trimBarLogic, m_trimBar, m_pump,
          [this](const std::string& path) { ShowCodecError(m_mainForm.get(), m_shell, path); }),
      m_initDir(m_dataFolder, HomeFolder() + "/") {
    BuildSizeEstimator();
    WireProfileLists();
    m_mainForm = std::make_unique<TFrmMainForm>(m_sources, m_options, m_choices);
    m_mainForm->SetSizeEstimator(m_estimator.get());
    m_mainForm->SetFirstShowHandler([this] { MainFormShow(); });
    m_mainForm->SetCloseHandler([this] { return MainFormCloseQuery(); });
    m_mainForm->SetConvertBatch([this] { ConvertBatch(); });
    m_mainForm->SetMemoryTrim([this] { TrimWorkingSet(m_power, m_pump); });
    m_mainForm->SetProductCommands({
        .homePage = [this] { OpenHomePage(); },
        .email = [this] { SendEMail(); },
        .about = [this] { ShowAboutForm(); },
        .help = [this] { OpenHelp(); },
    });
    BindSourceList();
    m_sourceController.SetWarning(
        [this](const std::string& message) { ShowMessageKind(m_boxes, message, MessageKind::Warning); });
    BindPreview();
    BindCopyCut();
    BindCopyOutputs();
    m_appFunc.SetFailureReporter(
        [this](const std::string& text) { ShowMessageKind(m_boxes, text, MessageKind::Warning); });

    // A window of its own, not a child of the main window: it stays usable while the main window
    // is disabled during a conversion.
    m_progressForm = std::make_unique<TfrmConverting>(m_progress);
    BuildOptionForm();
    // The batch always has its checks: they are made, with their summary window, before it.
    BuildSupervisor(options.desktop);
    m_batch = std::make_unique<BatchDriver>(BatchServices{m_customProc, m_sources, m_commands, *m_supervisor,
                                                          m_progress, *this, m_boxes, m_appFunc, m_launcher,
                                                          m_clock, m_pump, m_shell, m_power},
                                            options.timing);
    ConvertingWindowLogic& logic = m_batch->ProgressWindow();
    m_progressForm->SetHandlers({
        .tmrChangingTimer = [&logic] { logic.tmrChangingTimer(); },
        .btnStop1Click = [&logic] { logic.btnStop1Click(); },
        .FormClose = [&logic] { logic.FormClose(); },
    });
}

void ProgramShell::BuildSupervisor(DesktopSession* desktop) {
    m_summaryForm = std::make_unique<TfrmBatchSummary>(m_shell);
    m_supervisor = std::make_unique<BatchSupervisor>(
        BatchSupervisorServices{m_customProc, m_sources, m_progress, m_boxes, m_appFunc, m_probe,
                                desktop != nullptr ? *desktop : m_dbusDesktop, *m_summaryForm, m_clock,
                                FreeSpaceOf, m_estimator.get(), HoldFile, m_batchCopyFacts.get()});
}

// The copy type's command lines and pre-flight read the facts the views show, waiting for a file
// still being read; the cut time's tooltip never waits.
void ProgramShell::BindCopyOutputs() {
    m_batchCopyFacts = std::make_unique<CachedCopyFacts>(*m_copyFacts, CachedCopyFacts::Wait::UntilRead);
    m_toolTipCopyFacts = std::make_unique<CachedCopyFacts>(*m_copyFacts, CachedCopyFacts::Wait::Never);
    m_commonLib.SetCopySourceProbe(m_batchCopyFacts.get());
    m_mainForm->SetCopySourceProbe(m_toolTipCopyFacts.get());
}

// The samples are encoded in the sample folder; each answer reaches the main window on the
// user-interface thread, where an open tooltip of the cut time shows it.
void ProgramShell::BuildSizeEstimator() {
    m_estimateArrivals = std::make_unique<QObject>();
    QObject* arrivals = m_estimateArrivals.get();
    m_estimator = std::make_unique<SizeEstimator>(
        m_launcher, m_programFolder + TranscoderName,
        QFile::encodeName(m_sampleFolder.path()).toStdString() + "/", [this, arrivals] {
            QMetaObject::invokeMethod(
                arrivals,
                [this] {
                    if (m_mainForm)
                        m_mainForm->SizeEstimateArrived();
                },
                Qt::QueuedConnection);
        });
}

// A selection the user makes in either list applies the profile it names; the size estimates of the
// new choice start at once, so that they are ready when asked for.
void ProgramShell::WireProfileLists() {
    m_options.cbbOutputFiletype.SetChangeHandler([this] {
        m_customProc.ApplySelectedProfile();
        RequestSizeEstimates();
        if (m_copyCutBinding)
            m_copyCutBinding->ChoiceChanged();
        ShowOutputType();
    });
    m_options.cbbProfile.SetChangeHandler([this] {
        m_customProc.ApplySelectedProfile();
        RequestSizeEstimates();
    });
}

// The windows that offer what the output type uses; the Options dialog may be open meanwhile.
void ProgramShell::ShowOutputType() {
    m_mainForm->ShowOutputType();
    m_optionForm->ShowOutputType();
}

void ProgramShell::RequestSizeEstimates() {
    if (!SizeIsEstimated(m_options))
        return;
    for (std::size_t row = 0; row < m_sources.RowCount(); ++row)
        if (m_sources.Cell(row, colCheck) == CheckedText)
            m_estimator->Estimate(RowEstimateRequest(m_options, m_sources, row));
}

// Created now and only shown and hidden from then on; a window of its own above the main window.
void ProgramShell::BuildOptionForm() {
    m_namePrompt = std::make_unique<QtProfileNamePrompt>();
    m_optionLogic = std::make_unique<OptionWindowLogic>(m_customProc, *m_namePrompt, m_boxes);
    m_optionForm =
        std::make_unique<TfrmOption>(m_options, m_choices, *m_optionLogic, &RivamoApplication::RunCommand);
    m_folderBrowser = std::make_unique<QtFolderBrowser>(m_mainForm.get());
    m_mainForm->SetOptionCommands({
        .showOptions = [this] { m_optionForm->ShowOptions(); },
        .selectOutputFolder = [this] { SelectOutputFolder(); },
    });
}

void ProgramShell::SelectOutputFolder() {
    m_choices.SetOutputFolder(
        m_commonLib.SelectOutputFolder(m_choices.edtOutputFolder(), *m_folderBrowser, m_boxes));
}

void ProgramShell::BindSourceList() {
    m_measurer = std::make_unique<QtDurationMeasurer>(m_probe);
    m_sourceController.SetMeasurer(m_measurer.get());
    m_thumbnails = std::make_unique<SourceThumbnails>();
    SourceGridView& grid = *m_mainForm->dxTreeSourceFileInfo;
    if (auto* model = qobject_cast<SourceListModel*>(grid.model()))
        model->SetThumbnails(m_thumbnails.get());
    grid.setIconSize(QSize(SourceThumbnails::Width, SourceThumbnails::Height));
    m_sourceListBinding = std::make_unique<TSourceListBinding>(*m_mainForm, *m_mainForm->dxTreeSourceFileInfo,
                                                               m_sourceController, m_initDir, m_pump,
                                                               &RivamoApplication::RunCommand);
    TSourceListBinding& binding = *m_sourceListBinding;
    m_mainForm->SetSourceListCommands({
        .openFiles = [&binding] { binding.btnOpenFileClick(); },
        .addFolder = [&binding] { binding.btnAddFolderClick(); },
        .removeFiles = [&binding] { binding.btnRemoveFileClick(); },
        .clearFiles = [&binding] { binding.btnClearFileClick(); },
        .downloadCodec = [this] { OpenCodecDownload(m_shell); },
    });
}

void ProgramShell::BindPreview() {
    m_previewPanel = new TPreviewPanel(m_previewPlayer, m_trimBarLogic, m_trimBar, m_media,
                                       &RivamoApplication::RunCommand, m_mainForm.get());
    TPreviewPanel& panel = *m_previewPanel;
    m_mainForm->SetPreview(&panel, {
                                       .play = [this] { m_previewPlayer.btnPlayClick(); },
                                       .pause = [this] { m_previewPlayer.btnPauseClick(); },
                                       .stop = [this] { m_previewPlayer.btnStopClick(); },
                                       .keys =
                                           [&panel](int key, Qt::KeyboardModifiers modifiers) {
                                               return panel.HandleKey(key, modifiers);
                                           },
                                   });
}

// The grid, the trim bar and the preview show the key frames while the output type copies the
// streams; each added file's are read while its duration is measured.
void ProgramShell::BindCopyCut() {
    m_copyFacts = std::make_unique<QtCopySourceCache>(m_copyProbe, m_pump);
    m_copyCut = std::make_unique<CopyCutGuide>(*m_copyFacts, m_choices, [this] {
        const OutputTypeEntry* type = OutputTypeAt(m_options.cbbOutputFiletype.ItemIndex());
        return type != nullptr && type->style == OptionStyle::StreamCopy;
    });
    m_copyPrefetcher = std::make_unique<CopyFactsPrefetcher>(*m_measurer, *m_copyCut);
    m_sourceController.SetMeasurer(m_copyPrefetcher.get());
    auto* model = qobject_cast<SourceListModel*>(m_mainForm->dxTreeSourceFileInfo->model());
    if (model != nullptr)
        m_copyCutBinding =
            std::make_unique<TCopyCutBinding>(*m_copyFacts, *m_copyCut, m_sources, *model, m_trimBarLogic);
    m_trimBarLogic.SetCopyCutGuide(m_copyCut.get());
    m_previewPanel->SetCopyCutGuide(m_copyCut.get());
    m_choices.SetCutObserver([this] {
        if (m_copyCutBinding)
            m_copyCutBinding->ChoiceChanged();
    });
}

CopySourceCache& ProgramShell::CopyFacts() {
    return *m_copyFacts;
}

ProgramShell::~ProgramShell() {
    // No sample runs and no answer arrives while the windows go.
    m_estimator->Stop();
    m_estimateArrivals.reset();
    m_choices.SetCutObserver(nullptr);
    m_options.cbbOutputFiletype.SetChangeHandler(nullptr);
    m_options.cbbProfile.SetChangeHandler(nullptr);
}

void ProgramShell::Start() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_mainForm->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_mainForm->move(frame.topLeft());
    }
    // The window comes back where and as large as it was at the last end; an unreadable settings
    // file leaves it centred (the settings load reports the file's fault).
    std::optional<MainWindowPlacement> placement;
    try {
        placement = LoadMainWindowPlacement(m_dataFolder);
    } catch (const std::exception& error) {
        m_appFunc.WriteLog(error.what());
    }
    if (placement)
        m_mainForm->RestorePlacement(*placement);
    if (placement && placement->maximized)
        m_mainForm->showMaximized();
    else
        m_mainForm->show();
    // The progress window stays above the main window, as a dialog of it, without being its
    // child (a child would be disabled with it).
    m_progressForm->winId();
    if (QWindow* progress = m_progressForm->windowHandle())
        progress->setTransientParent(m_mainForm->windowHandle());
    m_optionForm->winId();
    if (QWindow* options = m_optionForm->windowHandle())
        options->setTransientParent(m_mainForm->windowHandle());
    m_summaryForm->winId();
    if (QWindow* summary = m_summaryForm->windowHandle())
        summary->setTransientParent(m_mainForm->windowHandle());
}

void ProgramShell::MainFormShow() {
    ShowSplash();
    // A settings file that cannot be read gets its error box, and the start-up goes on.
    for (const std::string& problem : m_customProc.FillOptionLists()) // ends with LoadUserSettings
        ShowMessageKind(m_boxes, problem, MessageKind::Error);
    RemoveLeftovers();
    m_customProc.ApplySelectedProfile();
    ShowOutputType();
    RestoreSourceList();
    // A missing companion ends the program once control is back in the main loop; the close
    // handler does not run then.
    if (m_terminateRequested)
        QTimer::singleShot(0, m_mainForm.get(), [this] { m_endProcess(); });
}

// The rows of the last run come back (their files measured again), and from now on every change
// of the rows is kept.
void ProgramShell::RestoreSourceList() {
    m_listKeeper =
        std::make_unique<SourceListKeeper>(m_sources, m_dataFolder, [this](const std::string& reason) {
            m_appFunc.WriteLog(reason);
            ShowMessageKind(m_boxes, reason, MessageKind::Warning);
        });
    m_sourceController.RestoreRows(m_listKeeper->Load());
}

// Partial outputs that an earlier run could not finish (killed, or the display gone); those a
// running Rivamo writes are locked and stay.
void ProgramShell::RemoveLeftovers() {
    for (const std::string& path : RemovePartialOutputs(m_choices.edtOutputFolder(), FileIsHeld))
        m_appFunc.WriteLog(LeftoverRemoved + path);
}

// The splash needs Branding.so for its picture. Without it (or without a picture in it) the
// program starts without a splash, and the companion check reports the missing file.
void ProgramShell::ShowSplash() {
    const QImage picture = DecodeJpeg(LoadSplashPicture(m_programFolder));
    if (picture.isNull()) {
        InitializeApplication();
        return;
    }
    TFrmFlashForm splash(
        picture, [this] { InitializeApplication(); }, m_splashTicks);
    splash.RunModal();
}

void ProgramShell::InitializeApplication() {
    CheckCompanionFiles();
    m_pump.Pump();
    m_softInfo = LoadProductInfo(m_programFolder, m_executablePath);
    m_softInfo.AppPath = m_programFolder;
    m_mainForm->SetTitleText(QString::fromUtf8(CaptionOf(m_softInfo)));
}

// Every missing library gets its own box; the start-up still runs to its end.
void ProgramShell::CheckCompanionFiles() {
    for (const char* name : {UifaceLibraryName, BrandingLibraryName}) {
        if (std::filesystem::exists(m_programFolder + name))
            continue;
        ShowMessageButtons(m_boxes, std::string("'") + name + "'" + NotFoundMessage, InformationOkType);
        m_terminateRequested = true;
    }
}

void ProgramShell::OpenHomePage() {
    m_shell.OpenAddress(m_softInfo.HomePage);
}

void ProgramShell::SendEMail() {
    m_shell.OpenAddress(MailtoScheme + m_softInfo.EMail);
}

// The manual of the program folder, whatever the current folder is.
void ProgramShell::OpenHelp() {
    m_shell.OpenFolder(m_softInfo.AppPath + ManualName);
}

void ProgramShell::ShowAboutForm() {
    ShowAbout(m_programFolder, m_softInfo);
}

// A close confirmed during a batch ends the program once the batch has stopped its transcoder and
// returned, also when the batch ended with an error.
void ProgramShell::ConvertBatch() {
    struct CloseWhenAsked {
        ProgramShell& shell;
        ~CloseWhenAsked() {
            if (std::exchange(shell.m_closeAfterBatch, false))
                shell.MainFormClose();
        }
    } closeWhenAsked{*this};
    // The batch reads the durations and times of the rows it converts. Convert pressed again while
    // the first press waits is the same command.
    if (m_waitingToConvert)
        return;
    m_waitingToConvert = true;
    m_sourceController.WaitForMeasurements();
    m_waitingToConvert = false;
    m_batch->ConvertBatch();
}

// During a batch the close asks the progress window's question: on No nothing changes; on Yes the
// batch takes the path of a confirmed close (the transcoder is asked to end and finishes its file),
// and the program ends when the batch has returned.
bool ProgramShell::MainFormCloseQuery() {
    if (!m_batch->Running()) {
        MainFormClose();
        return true;
    }
    if (!m_closeAfterBatch && m_batch->ProgressWindow().MainFormCloseQuery())
        m_closeAfterBatch = true;
    return false;
}

void ProgramShell::EndOnRequest() {
    if (!m_batch->Running()) {
        MainFormClose();
        return;
    }
    if (!std::exchange(m_closeAfterBatch, true))
        m_batch->ProgressWindow().CloseConfirmed();
}

// The settings are saved, then the program ends, also when the save failed: the user asked to
// quit and is told what was not saved.
void ProgramShell::MainFormClose() {
    m_previewPlayer.StopPreview();
    if (m_listKeeper)
        m_listKeeper->SaveNow();
    try {
        SaveMainWindowPlacement(m_dataFolder, m_mainForm->Placement());
        m_customProc.SaveUserSettings();
    } catch (const std::exception& error) {
        ShowMessageKind(m_boxes, error.what(), MessageKind::Error);
    }
    m_endProcess();
}

void ProgramShell::ShowProgress() {
    m_progressForm->ShowCentredOn(m_mainForm.get());
}

void ProgramShell::HideProgress() {
    m_progressForm->hide();
}

void ProgramShell::SetMainEnabled(bool enabled) {
    m_mainForm->setEnabled(enabled);
}

void ProgramShell::EndProgram() {
    m_endProcess();
}
