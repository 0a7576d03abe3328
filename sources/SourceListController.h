#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "sources/DurationMeasurer.h"
#include "sources/MediaProbe.h"
#include "sources/PreviewLink.h"
#include "sources/SavedSourceList.h"
#include "sources/SourceList.h"
#include "sources/TrimBarState.h"
#include "support/SystemServices.h"

// The source list's commands: adding files (with their duration measured), removing and clearing
// rows, and checking the times the user typed. The grid window forwards its events here.
class SourceListController {
public:
    // showCodecError names the files that could not be measured, one per line.
    SourceListController(SourceList& rows, MediaProbe& probe, PreviewLink& preview, TrimBarState& trimBar,
                         EventPump& pump, std::function<void(const std::string& path)> showCodecError);
    ~SourceListController();

    // Where durations are measured; null (the default) measures with the probe before returning.
    void SetMeasurer(DurationMeasurer* measurer) { m_measurer = measurer; }

    // Shows a warning to the user (a message box in the program).
    void SetWarning(std::function<void(const std::string& message)> warn) { m_warn = std::move(warn); }

    // Adds the paths in order and returns once the rows are there, their durations reading
    // MeasuringText until the measurer hands them back: duplicates (exact text) are skipped silently,
    // files of a type that is not accepted are named in one warning after the add. The files of one
    // add whose duration cannot be measured are removed and named in one codec error window when
    // the last of them is measured. A file whose size cannot be read raises; rows added before it
    // stay. Pending window events run every few rows.
    void StartAddingSourceFiles(const std::vector<std::string>& paths);
    // The same, returning when the added files are measured.
    void AddSourceFiles(const std::vector<std::string>& paths);
    // Adds the rows kept from the last run that still name a regular file (their check and times
    // kept, their durations measured again); the others are named in one warning.
    void RestoreRows(const std::vector<SavedSourceRow>& saved);
    bool IsMeasuring() const { return m_measuring > 0; }
    // Lets window events run until no file is being measured.
    void WaitForMeasurements();

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
    // The paths with every folder among them replaced by the accepted files below it (in all its
    // subfolders, links to folders not followed), in name order.
    static std::vector<std::string> WithFolderContents(const std::vector<std::string>& paths);

private:
    struct AddBatch;
    class ProbeNowMeasurer;

    std::unordered_set<std::string> ListedPaths() const;
    // The row of the file still being measured that was added as row `added`.
    std::optional<std::size_t> MeasuringRowOf(const std::string& path, std::size_t added) const;
    static SourceItem NewRow(const SavedSourceRow& saved);
    std::string QueueRows(const std::vector<std::string>& paths, const std::shared_ptr<AddBatch>& batch);
    void AppendAndMeasure(std::vector<SourceItem> items, const std::shared_ptr<AddBatch>& batch);
    void Measured(const std::string& path, std::size_t added, int64_t seconds, AddBatch& batch);
    void FinishWhenMeasured(AddBatch& batch);
    void CorrectTimes(std::size_t row, bool seekPreview);
    void CollapseTrimBarWhenEmpty();

    SourceList& m_rows;
    MediaProbe& m_probe;
    PreviewLink& m_preview;
    TrimBarState& m_trimBar;
    EventPump& m_pump;
    std::function<void(const std::string& path)> m_showCodecError;
    std::function<void(const std::string& message)> m_warn;
    std::unique_ptr<ProbeNowMeasurer> m_probeNow;
    DurationMeasurer* m_measurer = nullptr;
    std::size_t m_measuring = 0;
};
