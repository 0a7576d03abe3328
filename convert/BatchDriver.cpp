#include "convert/BatchDriver.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "support/CommandLine.h"
#include "support/ProcessHelpers.h"
#include "support/Text.h"

namespace {

constexpr const char* EmptyListWarning = "Please add media files you want to convert into the list.";
constexpr const char* NoCheckedRowWarning =
    "No file in the list is checked. Please check the files you want to convert.";
constexpr const char* LogParameterPrefix = "parameter: ";
constexpr const char* TerminateError = "Terminate process error.";
constexpr const char* EmptyRowsHead =
    "These rows are not converted: their end time is not after their start time, "
    "so there is nothing to convert.";
constexpr const char* EmptyRowReason = "its end time is not after its start time";

// End minus start of a row in seconds; no value when a time cell is no time (the command line's
// builder reports that).
std::optional<int64_t> CutSeconds(const SourceList& sources, std::size_t row) {
    const auto start = TryTimeTextToSeconds(sources.Cell(row, colStartTime));
    const auto end = TryTimeTextToSeconds(sources.Cell(row, colEndTime));
    if (start && end)
        return *end - *start;
    return std::nullopt;
}

// The transcoder runs in the program folder, named without its trailing "/".
std::string WorkingFolderOf(const std::string& programFolder) {
    if (programFolder.size() > 1 && programFolder.back() == '/')
        return programFolder.substr(0, programFolder.size() - 1);
    return programFolder;
}

// Sets a flag for the lifetime of a scope.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ScopedFlag() { m_flag = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

BatchDriver::BatchDriver(BatchServices services, BatchTiming timing)
    : m_services(services), m_timing(timing),
      m_window(services.progress, m_state, services.supervision.Weights(), services.boxes, services.view,
               *this) {}

BatchDriver::~BatchDriver() = default;

void BatchDriver::ConvertBatch() {
    if (m_running)
        return;
    const ScopedFlag running(m_running);
    CountCheckedRows();
    if (m_services.sources.IsEmpty()) {
        ShowMessageKind(m_services.boxes, EmptyListWarning, MessageKind::Warning);
        RestoreWindows();
        return;
    }
    // A batch without a checked row would end at once without a word.
    if (m_state.CheckedCount == 0) {
        ShowMessageKind(m_services.boxes, NoCheckedRowWarning, MessageKind::Warning);
        RestoreWindows();
        return;
    }
    FindEmptyRows();

    if (!Supervision().BeginBatch(m_state.CheckedCount)) {
        RestoreWindows();
        return;
    }
    // The counter shows the files that will really be converted.
    m_state.CheckedCount -= static_cast<int32_t>(Supervision().BadRowCount());

    try {
        ConvertRows();
    } catch (...) {
        // The batch ends here: no output of it may reach a later batch.
        Supervision().EndBatch();
        m_worker.reset();
        m_output.TakeAll();
        m_state.Stopped = false;
        RestoreWindows();
        throw;
    }

    Supervision().EndBatch();
    if (!m_state.Stopped && RunEndActions())
        return;
    m_state.Stopped = false;
    RestoreWindows();
    Supervision().ShowSummaryIfNeeded();
}

void BatchDriver::CountCheckedRows() {
    const SourceList& sources = m_services.sources;
    m_state.FilesDone = 0;
    m_state.CheckedCount = 0;
    for (std::size_t row = 0; row < sources.RowCount(); ++row)
        if (sources.Cell(row, colCheck) == CheckedText)
            ++m_state.CheckedCount;
}

// A row found bad before the batch is not started.
void BatchDriver::ConvertRows() {
    m_state.RowIndex = 0;
    while (!RowIsPastEnd()) {
        const auto row = static_cast<std::size_t>(m_state.RowIndex);
        if (m_services.sources.Cell(row, colCheck) == CheckedText && !Supervision().IsBadRow(row)) {
            if (!std::ranges::binary_search(m_emptyRows, row))
                ConvertRow(row);
            else
                SkipRow(row, EmptyRowReason);
            ++m_state.FilesDone;
        }
        ++m_state.RowIndex;
    }
}

bool BatchDriver::RowIsPastEnd() const {
    const int32_t row = m_state.RowIndex;
    return row < 0 || static_cast<std::size_t>(row) >= m_services.sources.RowCount();
}

void BatchDriver::FindEmptyRows() {
    const SourceList& sources = m_services.sources;
    m_emptyRows.clear();
    std::string message = EmptyRowsHead;
    for (std::size_t row = 0; row < sources.RowCount(); ++row) {
        const auto cut = CutSeconds(sources, row);
        if (sources.Cell(row, colCheck) != CheckedText || !cut || *cut > 0)
            continue;
        m_emptyRows.push_back(row);
        message += "\nRow " + std::to_string(row + 1) + ": " + sources.Cell(row, colFileName) + " (" +
                   sources.Cell(row, colStartTime) + " to " + sources.Cell(row, colEndTime) + ")";
    }
    if (!m_emptyRows.empty())
        ShowMessageKind(m_services.boxes, message, MessageKind::Warning);
}

void BatchDriver::ConvertRow(std::size_t row) {
    m_state.SourcePath = m_services.sources.Cell(row, colFileName);
    m_state.command = m_services.commands.BuildCommandLine(m_state.SourcePath);
    // The supervision points the output at a partial file; the log shows what runs.
    m_state.command.CommandLine = Supervision().RowStarted(row, m_state.command);
    m_services.log.WriteLog(LogParameterPrefix + m_state.command.CommandLine);

    m_state.ChunkCount = 0;
    m_discardOutput = false;
    m_window.ResetFileBar();
    m_window.Show();
    m_services.view.SetMainEnabled(false);
    Pump();
    PauseServingEvents(PauseMs(m_timing.showPauseMs));

    // A stop or close confirmed during the pause: this row's transcoder is not started at all.
    if (RowIsPastEnd())
        return;

    StartWorker();
    Pump();
    PauseServingEvents(PauseMs(m_timing.startPauseMs));
    WaitForTranscoder();
    FinishWorker();
    FinishRow(row);
}

void BatchDriver::FinishRow(std::size_t row) {
    if (Supervision().RowFinished(row, RowIsPastEnd()) != RowOutcome::Converted)
        return;
    m_window.ShowFileDone();
    Supervision().RefreshProgress();
    m_services.progress.Changed();
}

void BatchDriver::SkipRow(std::size_t row, const std::string& reason) {
    Supervision().RowSkipped(row, reason);
    m_window.RefreshBatchBar();
    Supervision().RefreshProgress();
}

// The transcoder is started by the path the command line was built with, never by a search
// through the text; a command line that does not begin with it (an empty one) starts nothing.
void BatchDriver::StartWorker() {
    const std::string& executable = m_state.command.parameters.TranscoderPath;
    const auto arguments = ArgumentsAfter(executable, m_state.command.CommandLine);
    if (!arguments)
        return;
    m_worker = std::make_unique<TAdvanceSystem>(
        m_services.launcher, m_services.clock, WorkingFolderOf(m_services.proc.ProgramFolder()), executable,
        *arguments, [this](const std::string& chunk) { m_output.Push(chunk); }, m_timing);
    m_worker->Start();
}

// Counts the time slept rather than reading the clock, so a long event (a question answered
// meanwhile) does not cut the pause short.
void BatchDriver::PauseServingEvents(int64_t milliseconds) {
    const int64_t step = std::max<int64_t>(1, m_timing.pollMs);
    for (int64_t slept = 0; slept < milliseconds; slept += step) {
        m_services.clock.SleepMs(std::min(step, milliseconds - slept));
        Pump();
    }
}

// Only the own transcoder counts: another program's or user's process of the same name neither
// keeps the batch waiting nor is touched. A quick batch looks more often, so the next file
// follows as soon as this one is done.
void BatchDriver::WaitForTranscoder() {
    const int64_t step = QuickBatch() ? m_timing.quickPollMs : m_timing.pollMs;
    while (m_worker && !m_worker->Finished()) {
        m_services.clock.SleepMs(step);
        Pump();
    }
}

bool BatchDriver::WaitForWorker(int64_t milliseconds) {
    for (int64_t slept = 0; !m_worker->Finished(); slept += m_timing.pollMs) {
        if (slept >= milliseconds)
            return false;
        m_services.clock.SleepMs(m_timing.pollMs);
        Pump();
    }
    return true;
}

// The worker has handed over its last chunk once its thread has ended; delivering what is left now
// keeps every chunk of this file ahead of the next file's start.
void BatchDriver::FinishWorker() {
    const std::unique_ptr<TAdvanceSystem> worker = std::move(m_worker);
    if (worker)
        worker->WaitFor();
    Supervision().TranscoderEnded(worker ? worker->EndSignal() : 0);
    DeliverOutput();
}

void BatchDriver::DeliverOutput() {
    for (const std::string& chunk : m_output.TakeAll()) {
        if (m_discardOutput)
            return;
        OnTranscoderOutput(chunk);
    }
}

void BatchDriver::Pump() {
    DeliverOutput();
    m_services.pump.Pump();
}

void BatchDriver::OnTranscoderOutput(const std::string& chunk) {
    Supervision().Output(chunk);
    m_window.ShowOutput(chunk);
    if (m_state.ChunkCount > 1)
        Supervision().RefreshProgress();
    m_services.progress.Changed();
}

void BatchDriver::StopTranscoder() {
    if (!m_worker)
        return;
    m_worker->Terminate();
    m_worker->AskChildToEnd();
    if (WaitForWorker(m_timing.stopGraceMs))
        return;
    m_worker->KillChild();
    if (!WaitForWorker(m_timing.stopGiveUpMs))
        m_services.log.WriteLog(TerminateError);
}

bool BatchDriver::RunEndActions() {
    const MainChoices& choices = m_services.proc.Choices();
    if (choices.chkShowOutputDirectory())
        OpenFolderInExplorer(m_services.shell, m_state.command.parameters.OutputFolder);
    if (!choices.chkShutdown())
        return false;
    if (!Supervision().PowerOffAllowed())
        return false;
    if (!ShutdownComputer(m_services.power)) {
        Supervision().PowerOffRefused();
        return false;
    }
    m_services.view.EndProgram();
    return true;
}

void BatchDriver::RestoreWindows() {
    m_window.Hide();
    m_services.view.SetMainEnabled(true);
}
