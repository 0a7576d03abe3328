#include "sources/SourceListController.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unordered_set>
#include <utility>

#include "sources/DurationProbe.h"
#include "support/Text.h"

namespace {

constexpr std::array<const char*, 21> AcceptedExtensions = {
    ".3gp",  ".3g2", ".avi", ".m4v", ".mpeg", ".mpg",  ".asf", ".mov",  ".wmv", ".vob", ".rm",
    ".rmvb", ".flv", ".swf", ".mp4", ".mkv",  ".webm", ".ts",  ".m2ts", ".mts", ".ogv"};
constexpr const char* SkippedFilesHead =
    "These files were not added: Rivamo does not convert files of their type.";
constexpr const char* GoneFilesHead = "These files of the last list are no longer there and were left out:";
constexpr const char* ZeroTime = "00:00:00";
// Rows added between two turns of the window's events.
constexpr std::size_t RowsBetweenPumps = 50;
// How long a wait for measurements sleeps between two turns of the window's events.
constexpr std::chrono::milliseconds MeasurementPoll{5};

// The part of the file name from its last dot on, dot included; empty without a dot.
std::string ExtensionOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return {};
    return path.substr(dot);
}

// The byte count of a file opened for reading; raises when it cannot be opened or measured.
int64_t ReadableFileSize(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        throw std::runtime_error("Cannot open file \"" + path + "\". " + std::strerror(errno));
    const std::streamoff size = file.tellg();
    if (size < 0)
        throw std::runtime_error("Cannot read the size of \"" + path + "\".");
    return size;
}

// Hours, minutes and seconds read from the fixed positions of an HH:MM:SS text.
int64_t FixedPositionSeconds(const std::string& text) {
    const auto pair = [&](std::size_t at) -> int64_t {
        if (text.size() < at + 2)
            throw std::invalid_argument("'" + text + "' is not a valid time");
        const std::string digits = text.substr(at, 2);
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            throw std::invalid_argument("'" + digits + "' is not a valid integer value");
        return (digits[0] - '0') * 10 + (digits[1] - '0');
    };
    return pair(0) * 3600 + pair(3) * 60 + pair(6);
}

} // namespace

SourceListController::SourceListController(SourceList& rows, MediaProbe& probe, PreviewLink& preview,
                                           TrimBarState& trimBar, EventPump& pump,
                                           std::function<void(const std::string& path)> showCodecError)
    : m_rows(rows), m_probe(probe), m_preview(preview), m_trimBar(trimBar), m_pump(pump),
      m_showCodecError(std::move(showCodecError)), m_probeNow(std::make_unique<ProbeNowMeasurer>(probe)) {}

bool SourceListController::IsAcceptedSource(const std::string& path) {
    const std::string extension = AsciiLower(ExtensionOf(path));
    return std::any_of(AcceptedExtensions.begin(), AcceptedExtensions.end(),
                       [&](const char* accepted) { return extension == accepted; });
}

std::vector<std::string> SourceListController::WithoutDuplicates(const std::vector<std::string>& paths) {
    std::vector<std::string> unique;
    std::unordered_set<std::string> seen;
    for (const auto& path : paths)
        if (seen.insert(path).second)
            unique.push_back(path);
    return unique;
}

std::unordered_set<std::string> SourceListController::ListedPaths() const {
    std::unordered_set<std::string> listed;
    listed.reserve(m_rows.RowCount());
    for (std::size_t row = 0; row < m_rows.RowCount(); ++row)
        listed.insert(m_rows.Cell(row, colFileName));
    return listed;
}

// Searched from the row the file was added as, back to the first row and then on: rows only move
// up when rows above them are removed, so the row is found at once unless the user reordered.
std::optional<std::size_t> SourceListController::MeasuringRowOf(const std::string& path,
                                                                std::size_t added) const {
    const std::size_t count = m_rows.RowCount();
    const auto isIt = [&](std::size_t row) {
        return m_rows.Cell(row, colDuration) == MeasuringText && m_rows.Cell(row, colFileName) == path;
    };
    for (std::size_t row = std::min(added + 1, count); row-- > 0;)
        if (isIt(row))
            return row;
    for (std::size_t row = added + 1; row < count; ++row)
        if (isIt(row))
            return row;
    return std::nullopt;
}

std::vector<std::string> SourceListController::WithFolderContents(const std::vector<std::string>& paths) {
    namespace fs = std::filesystem;
    std::vector<std::string> expanded;
    for (const auto& path : paths) {
        std::error_code error;
        if (!fs::is_directory(fs::symlink_status(path, error))) {
            expanded.push_back(path);
            continue;
        }
        std::vector<std::string> found;
        for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error))
            if (it->is_regular_file(error) && IsAcceptedSource(it->path().string()))
                found.push_back(it->path().string());
        std::sort(found.begin(), found.end());
        expanded.insert(expanded.end(), found.begin(), found.end());
    }
    return expanded;
}

// The work of one add: how many of its files are still measured, and which could not be.
struct SourceListController::AddBatch {
    std::size_t pending = 0;
    bool allQueued = false;
    std::vector<std::string> unmeasurable;
};

class SourceListController::ProbeNowMeasurer final : public DurationMeasurer {
public:
    explicit ProbeNowMeasurer(MediaProbe& probe) : m_probe(probe) {}
    void Measure(const std::string& path, Done done) override {
        done(ProbeDuration(path, *m_probe.NewGraph()));
    }

private:
    MediaProbe& m_probe;
};

SourceListController::~SourceListController() = default;

// The size is read first, so a file that cannot be read leaves no half-filled row behind.
SourceItem SourceListController::NewRow(const SavedSourceRow& saved) {
    SourceItem item;
    item.cells[colFileSize] = SizeText(ReadableFileSize(saved.path));
    item.cells[colCheck] = saved.checked ? CheckedText : UncheckedText;
    item.cells[colFileName] = saved.path;
    item.cells[colDuration] = MeasuringText;
    item.cells[colStartTime] = saved.startTime;
    item.cells[colEndTime] = saved.endTime;
    return item;
}

// The rows go in together, then each file is handed to the measurer.
void SourceListController::AppendAndMeasure(std::vector<SourceItem> items,
                                            const std::shared_ptr<AddBatch>& batch) {
    std::vector<std::string> paths;
    paths.reserve(items.size());
    for (const SourceItem& item : items)
        paths.push_back(item.cells[colFileName]);
    const std::size_t first = m_rows.RowCount();
    m_rows.AppendRows(std::move(items));
    batch->pending += paths.size();
    m_measuring += paths.size();
    DurationMeasurer& measurer = m_measurer ? *m_measurer : *m_probeNow;
    for (std::size_t i = 0; i < paths.size(); ++i)
        measurer.Measure(paths[i], [this, path = paths[i], row = first + i, batch](int64_t seconds) {
            Measured(path, row, seconds, *batch);
        });
}

void SourceListController::Measured(const std::string& path, std::size_t added, int64_t seconds,
                                    AddBatch& batch) {
    --batch.pending;
    --m_measuring;
    // The row may have been removed, or removed and added again, while its file was measured.
    if (const auto row = MeasuringRowOf(path, added)) {
        if (seconds <= 0) {
            batch.unmeasurable.push_back(path);
            m_rows.DeleteRow(*row);
        } else {
            const std::string durationText = SecondsToTimeText(seconds);
            m_rows.SetCell(*row, colDuration, durationText);
            if (m_rows.Cell(*row, colEndTime).empty())
                m_rows.SetCell(*row, colEndTime, durationText);
            CorrectTimes(*row, false);
            if (m_rows.FocusedRow() == row)
                m_preview.ShowRowOnTrimBar();
        }
    }
    FinishWhenMeasured(batch);
}

void SourceListController::FinishWhenMeasured(AddBatch& batch) {
    if (!batch.allQueued || batch.pending > 0 || batch.unmeasurable.empty())
        return;
    std::string names;
    for (const auto& path : std::exchange(batch.unmeasurable, {}))
        names += (names.empty() ? "" : "\n") + path;
    if (m_showCodecError)
        m_showCodecError(names);
}

void SourceListController::StartAddingSourceFiles(const std::vector<std::string>& paths) {
    const auto batch = std::make_shared<AddBatch>();
    // Also when a file cannot be read: the files queued before it are reported when measured.
    struct Queued {
        SourceListController& self;
        AddBatch& batch;
        ~Queued() {
            batch.allQueued = true;
            self.FinishWhenMeasured(batch);
        }
    } queued{*this, *batch};
    const std::string skipped = QueueRows(paths, batch);
    if (!m_rows.IsEmpty()) {
        m_rows.SelectOnly(0);
        m_preview.ShowRowOnTrimBar();
    }
    if (!skipped.empty() && m_warn)
        m_warn(SkippedFilesHead + skipped);
}

// Adds the rows a few at a time; between them the window repaints and a click is served. Returns
// the files skipped for their type, one per line.
std::string SourceListController::QueueRows(const std::vector<std::string>& paths,
                                            const std::shared_ptr<AddBatch>& batch) {
    std::string skipped;
    std::unordered_set<std::string> listed = ListedPaths();
    std::vector<SourceItem> rows;
    try {
        for (const auto& path : paths) {
            if (listed.contains(path))
                continue;
            if (!IsAcceptedSource(path)) {
                skipped += "\n" + path;
                continue;
            }
            rows.push_back(NewRow({path, true, ZeroTime, ""}));
            listed.insert(path);
            if (rows.size() < RowsBetweenPumps)
                continue;
            AppendAndMeasure(std::exchange(rows, {}), batch);
            m_pump.Pump();
            listed = ListedPaths(); // the events may have removed or added rows
        }
    } catch (...) {
        // The rows read before a file that could not be read stay.
        AppendAndMeasure(std::move(rows), batch);
        throw;
    }
    AppendAndMeasure(std::move(rows), batch);
    return skipped;
}

void SourceListController::AddSourceFiles(const std::vector<std::string>& paths) {
    StartAddingSourceFiles(paths);
    WaitForMeasurements();
}

void SourceListController::WaitForMeasurements() {
    while (IsMeasuring()) {
        m_pump.Pump();
        if (IsMeasuring())
            std::this_thread::sleep_for(MeasurementPoll);
    }
}

void SourceListController::RestoreRows(const std::vector<SavedSourceRow>& saved) {
    const auto batch = std::make_shared<AddBatch>();
    std::unordered_set<std::string> listed = ListedPaths();
    std::vector<SourceItem> rows;
    std::string gone;
    for (const auto& row : saved) {
        std::error_code error;
        if (listed.contains(row.path))
            continue;
        if (!std::filesystem::is_regular_file(row.path, error)) {
            gone += "\n" + row.path;
            continue;
        }
        rows.push_back(NewRow(row));
        listed.insert(row.path);
    }
    AppendAndMeasure(std::move(rows), batch);
    batch->allQueued = true;
    FinishWhenMeasured(*batch);
    if (!gone.empty() && m_warn)
        m_warn(GoneFilesHead + gone);
}

void SourceListController::RemoveSelectedRows() {
    if (m_rows.SelectedRows().empty())
        return;
    m_pump.Pump();
    std::optional<std::size_t> remembered;
    if (const auto focused = m_rows.FocusedRow(); focused && *focused > 0)
        remembered = *focused - 1;

    for (auto selected = m_rows.SelectedRows(); !selected.empty(); selected = m_rows.SelectedRows()) {
        m_pump.Pump();
        const std::size_t row = selected.front();
        if (remembered && *remembered == row)
            remembered.reset();
        else if (remembered && *remembered > row)
            --*remembered;
        m_rows.DeleteRow(row);
    }
    if (remembered && *remembered < m_rows.RowCount())
        m_rows.SelectOnly(*remembered);
}

bool SourceListController::ClearSourceList() {
    try {
        m_rows.Clear();
    } catch (...) {
        // Clearing is best effort; the command that asked goes on either way.
        return false;
    }
    return true;
}

void SourceListController::CollapseTrimBarWhenEmpty() {
    if (m_rows.IsEmpty())
        m_trimBar.Collapse();
}

void SourceListController::btnRemoveFileClick() {
    RemoveSelectedRows();
    CollapseTrimBarWhenEmpty();
    m_preview.StopPreview();
    m_preview.ShowRowOnTrimBar();
}

void SourceListController::btnClearFileClick() {
    ClearSourceList();
    m_preview.StopPreview();
    m_trimBar.Collapse();
}

void SourceListController::dxTreeSourceFileInfoKeyDown(bool deleteKey) {
    m_preview.ShowRowOnTrimBar();
    if (!deleteKey)
        return;
    RemoveSelectedRows();
    m_preview.StopPreview();
    CollapseTrimBarWhenEmpty();
}

void SourceListController::dxTreeSourceFileInfoKeyUp() {
    m_preview.ShowRowOnTrimBar();
}

void SourceListController::actDxTreeListOnClickExecute() {
    m_preview.ShowRowOnTrimBar();
}

void SourceListController::dxTreeSourceFileInfoEdited() {
    for (const std::size_t row : m_rows.SelectedRows())
        CorrectTimes(row, true);
}

// A row still being measured has no duration to check its times against yet; its check runs when
// the duration is known.
void SourceListController::CorrectTimes(std::size_t row, bool seekPreview) {
    const std::string d = m_rows.Cell(row, colDuration);
    if (d == MeasuringText)
        return;
    std::string s = m_rows.Cell(row, colStartTime);
    std::string e = m_rows.Cell(row, colEndTime);
    if (s.empty()) {
        s = ZeroTime;
        m_rows.SetCell(row, colStartTime, s);
    }
    if (e.empty()) {
        e = d;
        m_rows.SetCell(row, colEndTime, e);
    }
    const int64_t duration = FixedPositionSeconds(d);
    const int64_t start = FixedPositionSeconds(s);
    const int64_t end = FixedPositionSeconds(e);

    // Every comparison below uses the values read above, not the cells as corrected on the way.
    if (start >= duration)
        m_rows.SetCell(row, colStartTime, d.substr(0, 8));
    if (start >= end)
        m_rows.SetCell(row, colEndTime, s.substr(0, 8));
    if (seekPreview && m_trimBar.TrimBarSynced && m_preview.IsPreviewActive())
        m_preview.SeekPreview(FixedPositionSeconds(m_rows.Cell(row, colStartTime)) * 1000);
    if (end >= duration)
        m_rows.SetCell(row, colEndTime, d);
    m_rows.SetCell(row, colCutTime, SecondsToTimeText(std::min(end, duration) - start));
}
