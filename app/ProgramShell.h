#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/MainChoices.h"
#include "convert/ConvertingState.h"
#include "convert/CustomProc.h"
#include "profiles/OptionSelection.h"
#include "sources/SourceList.h"
#include "support/Log.h"
#include "support/MessageBoxes.h"

class TFrmMainForm;
class TfrmConverting;

// The running program: the core objects and the windows, created in start-up order and living
// until the process ends. main() gives it the folder of the executable; tests give a temporary one.
class ProgramShell {
public:
    // endProcess ends the process at once; it is called when the main window closes.
    ProgramShell(std::string programFolder, MessageBoxPresenter& boxes, std::function<void()> endProcess);
    ~ProgramShell();
    ProgramShell(const ProgramShell&) = delete;
    ProgramShell& operator=(const ProgramShell&) = delete;

    // Shows the main window; its first show fills the option lists (loading the user settings)
    // and applies the selected profile.
    void Start();

    TFrmMainForm& MainForm() { return *m_mainForm; }
    TfrmConverting& ProgressForm() { return *m_progressForm; }
    TCustomProc& CustomProc() { return m_customProc; }
    SourceList& Sources() { return m_sources; }
    OptionSelection& Options() { return m_options; }
    MainChoices& Choices() { return m_choices; }
    ConvertingState& Progress() { return m_progress; }

private:
    void MainFormShow();
    void MainFormClose();

    const std::string m_programFolder; // with a trailing "/"
    MessageBoxPresenter& m_boxes;
    const std::function<void()> m_endProcess;

    MainChoices m_choices;
    OptionSelection m_options;
    SourceList m_sources;
    ConvertingState m_progress;
    TCustomProc m_customProc;
    TAppFunc m_appFunc;

    std::unique_ptr<TFrmMainForm> m_mainForm;
    std::unique_ptr<TfrmConverting> m_progressForm;
};
