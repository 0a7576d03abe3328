#include "app/ProgramShell.h"

#include <exception>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include "app/MainWindow.h"
#include "convert/ConvertingWindow.h"

namespace {

constexpr const char* OutputFolderBelowHome = "/Rivamo";

std::string DefaultOutputFolder() {
    return QFile::encodeName(QDir::homePath()).toStdString() + OutputFolderBelowHome;
}

} // namespace

ProgramShell::ProgramShell(std::string programFolder, MessageBoxPresenter& boxes,
                           std::function<void()> endProcess)
    : m_programFolder(std::move(programFolder)), m_boxes(boxes), m_endProcess(std::move(endProcess)),
      m_choices(DefaultOutputFolder()), m_customProc(m_programFolder, m_options, m_choices),
      m_appFunc(m_programFolder) {
    // A selection the user makes in either list applies the profile it names.
    m_options.cbbOutputFiletype.SetChangeHandler([this] { m_customProc.ApplySelectedProfile(); });
    m_options.cbbProfile.SetChangeHandler([this] { m_customProc.ApplySelectedProfile(); });

    m_mainForm = std::make_unique<TFrmMainForm>(m_sources, m_options, m_choices, m_customProc);
    m_mainForm->SetFirstShowHandler([this] { MainFormShow(); });
    m_mainForm->SetCloseHandler([this] { MainFormClose(); });
    // A window of its own, not a child of the main window: it stays usable while the main window
    // is disabled during a conversion.
    m_progressForm = std::make_unique<TfrmConverting>(m_progress);
}

ProgramShell::~ProgramShell() {
    m_options.cbbOutputFiletype.SetChangeHandler(nullptr);
    m_options.cbbProfile.SetChangeHandler(nullptr);
}

void ProgramShell::Start() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_mainForm->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_mainForm->move(frame.topLeft());
    }
    m_mainForm->show();
}

void ProgramShell::MainFormShow() {
    m_customProc.FillOptionLists(); // ends with LoadUserSettings
    m_customProc.ApplySelectedProfile();
}

// The settings are saved, then the program ends, also when the save failed: the user asked to
// quit and is told what was not saved.
void ProgramShell::MainFormClose() {
    try {
        m_customProc.SaveUserSettings();
    } catch (const std::exception& error) {
        m_boxes.Show(error.what(), MessageIcon::Error, MessageButtons::Ok);
    }
    m_endProcess();
}
