#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sources/MediaProbe.h"
#include "sources/PreviewLink.h"
#include "sources/SourceList.h"
#include "sources/TrimBarState.h"
#include "support/SystemServices.h"

// The source list's commands: adding files (with their duration measured), removing and clearing
// rows, and checking the times the user typed. The grid window forwards its events here.
class SourceListController {
public:
    SourceListController(SourceList& rows, MediaProbe& probe, PreviewLink& preview, TrimBarState& trimBar,
                         EventPump& pump, std::function<void(const std::string& path)> showCodecError);

    // Shows a warning to the user (a message box in the program).
    void SetWarning(std::function<void(const std::string& message)> warn) { m_warn = std::move(warn); }

    // Adds the paths in order: duplicates (exact text) are skipped silently, files of a type that
    // is not accepted are named in one warning after the add, a file whose duration cannot be
    // measured shows the codec error window (naming it) once and adds no row. A file whose size cannot be
    // read raises; rows added before it stay. Pending window events run after each measured file.
    void AddSourceFiles(const std::vector<std::string>& paths);

    void RemoveSelectedRows();
    // False only when the rows could not be cleared.
    bool ClearSourceList();

    // Event handlers of the main window.
    void btnRemoveFileClick();
    void btnClearFileClick();
    void dxTreeSourceFileInfoKeyDown(bool deleteKey);
    void dxTreeSourceFileInfoKeyUp();
    void actDxTreeListOnClickExecute();
    void dxTreeSourceFileInfoEdited();

    // Whether the last extension of the path's file name, lower-cased, is one that is accepted.
    static bool IsAcceptedSource(const std::string& path);
    // The paths with exact duplicates removed, first occurrence and order kept.
    static std::vector<std::string> WithoutDuplicates(const std::vector<std::string>& paths);

private:
    bool IsListed(const std::string& path) const;
    void AppendRow(const std::string& path, const std::string& durationText);
    void CollapseTrimBarWhenEmpty();

    SourceList& m_rows;
    MediaProbe& m_probe;
    PreviewLink& m_preview;
    TrimBarState& m_trimBar;
    EventPump& m_pump;
    std::function<void(const std::string& path)> m_showCodecError;
    std::function<void(const std::string& message)> m_warn;
};
