#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sources/InitDir.h"

// The open dialog dlgOpenSourceFile.
class SourceFilePicker {
public:
    virtual ~SourceFilePicker() = default;
    // Shows the dialog starting in the folder; the chosen paths in the dialog's order, none when
    // it was cancelled.
    virtual std::vector<std::string> Pick(const std::string& folder) = 0;
    // Shows a folder chooser starting in the folder; the chosen folder (none when cancelled).
    virtual std::optional<std::string> PickFolder(const std::string& folder) = 0;
};

// The busy popup: shown modally while the work runs. The work runs once, shortly after the popup
// appears; the popup closes when it is done, also after an error, which then reaches the caller.
class BusyPopup {
public:
    virtual ~BusyPopup() = default;
    virtual void ShowWhile(std::function<void()> work) = 0;
};

// The open command btnOpenFileClick (Ctrl+O): pick files from the remembered folder, add them
// behind the busy popup, remember the folder of the chosen file.
class TOpenFilesCommand {
public:
    using AddSourceFiles = std::function<void(const std::vector<std::string>&)>;

    TOpenFilesCommand(const TInitDir& initDir, SourceFilePicker& picker, BusyPopup& popup,
                      AddSourceFiles addSourceFiles);

    void btnOpenFileClick();
    // The Add Folder command (Ctrl+D): pick a folder from the remembered one, add the accepted
    // files below it, remember it.
    void btnAddFolderClick();

    // The file name the dialog last reported as chosen (the first path); kept when it is cancelled.
    const std::string& DialogFileName() const { return m_dialogFileName; }

private:
    void StoreDialogFolder();

    const TInitDir& m_initDir;
    SourceFilePicker& m_picker;
    BusyPopup& m_popup;
    AddSourceFiles m_addSourceFiles;
    std::string m_dialogFileName;
};
