#include "convert/BatchDriver.h"
#include "convert/TranscoderNames.h"

#include <utility>

namespace {

constexpr const char* EmptyListWarning = "Please add media files you want to convert into the list.";
constexpr const char* LogParameterPrefix = "parameter: ";
constexpr const char* TerminateError = "Terminate process error.";
constexpr int WarningKind = 1;

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
      m_window(services.progress, services.proc, services.commands, services.boxes, services.view, *this) {}

BatchDriver::~BatchDriver() = default;

void BatchDriver::ConvertBatch() {
    if (m_running)
        return;
    const ScopedFlag running(m_running);
    TCustomProc& proc = m_services.proc;
    const SourceList& sources = m_services.sources;

    proc.FilesDone = 0;
    proc.CheckedCount = 0;
    for (std::size_t row = 0; row < sources.RowCount(); ++row)
        if (sources.Cell(row, colCheck) == CheckedText)
            ++proc.CheckedCount;

    if (sources.IsEmpty()) {
        ShowMessageKind(m_services.boxes, EmptyListWarning, WarningKind);
        RestoreWindows();
        return;
    }

    if (m_supervisor && !m_supervisor->BeginBatch()) {
        RestoreWindows();
        return;
    }

    try {
        ConvertRows();
    } catch (...) {
        // The batch ends here: no output of it may reach a later batch.
        if (m_supervisor)
            m_supervisor->EndBatch();
        m_worker.reset();
        m_output.TakeAll();
        proc.Stopped = false;
        RestoreWindows();
        throw;
    }

    if (m_supervisor)
        m_supervisor->EndBatch();
    if (!proc.Stopped && RunEndActions())
        return;
    proc.Stopped = false;
    RestoreWindows();
    if (m_supervisor)
        m_supervisor->ShowSummaryIfNeeded();
}

void BatchDriver::ConvertRows() {
    TCustomProc& proc = m_services.proc;
    proc.RowIndex = 0;
    while (!RowIsPastEnd()) {
        const auto row = static_cast<std::size_t>(proc.RowIndex);
        const bool foundBad = m_supervisor && m_supervisor->IsBadRow(row);
        if (m_services.sources.Cell(row, colCheck) == CheckedText && !foundBad) {
            ConvertRow(row);
            ++proc.FilesDone;
        }
        ++proc.RowIndex;
    }
}

bool BatchDriver::RowIsPastEnd() const {
    const int32_t row = m_services.proc.RowIndex;
    return row < 0 || static_cast<std::size_t>(row) >= m_services.sources.RowCount();
}

void BatchDriver::ConvertRow(std::size_t row) {
    TCustomProc& proc = m_services.proc;
    proc.SourcePath = m_services.sources.Cell(row, colFileName);
    proc.CommandLine = m_services.commands.BuildCommandLine(proc.SourcePath);
    m_services.log.WriteLog(LogParameterPrefix + proc.CommandLine);
    if (m_supervisor)
        m_supervisor->RowStarted(row, proc.CommandLine);

    proc.ChunkCount = 0;
    m_discardOutput = false;
    m_services.progress.ProgressBar1.SetPosition(0);
    m_window.Show();
    m_services.view.SetMainEnabled(false);
    Pump();
    m_services.clock.SleepMs(PauseMs(m_timing.showPauseMs));
    Pump();

    // A stop or close confirmed during the pause: this row's transcoder is not started at all.
    if (RowIsPastEnd())
        return;

    m_worker = std::make_unique<TAdvanceSystem>(
        m_services.launcher, m_services.clock, WorkingFolderOf(proc.ProgramFolder()), proc.CommandLine,
        [this](const std::string& chunk) { m_output.Push(chunk); }, m_timing);
    m_worker->Start();
    Pump();
    if (QuickBatch())
        WaitForWorker();
    else
        m_services.clock.SleepMs(m_timing.startPauseMs);
    WaitForTranscoders();
    FinishWorker();
    if (m_supervisor)
        m_supervisor->RowFinished(row, RowIsPastEnd());
}

// Quick batches wait for the worker itself instead of a fixed pause: it has ended once its
// transcoder has exited and every chunk is handed over.
void BatchDriver::WaitForWorker() {
    while (m_worker && !m_worker->Finished()) {
        m_services.clock.SleepMs(m_timing.quickPollMs);
        Pump();
    }
}

void BatchDriver::WaitForTranscoders() {
    TSysFunc& processes = m_services.processes;
    while (processes.IsProcessRunning(TranscoderName) != 0 ||
           processes.IsProcessRunning(RealMediaTranscoderName) != 0) {
        m_services.clock.SleepMs(m_timing.pollMs);
        Pump();
    }
}

// The worker has handed over its last chunk once its thread has ended; delivering what is left now
// keeps every chunk of this file ahead of the next file's start.
void BatchDriver::FinishWorker() {
    const std::unique_ptr<TAdvanceSystem> worker = std::move(m_worker);
    worker->WaitFor();
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
    ConvertingState& state = m_services.progress;
    state.statState = chunk;
    state.lblCurFileName = m_services.proc.SourcePath;
    if (m_supervisor)
        m_supervisor->Output(chunk);
    m_window.actRefreshProgressExecute();
    if (m_supervisor && m_services.proc.ChunkCount > 1)
        m_supervisor->RefreshProgress();
    state.Changed();
}

void BatchDriver::StopTranscoder(const std::string& pathOrName) {
    StopProcessesNamed(FileNamePart(pathOrName));
    StopProcessesNamed(TranscoderName);
}

void BatchDriver::StopProcessesNamed(const std::string& name) {
    TSysFunc& processes = m_services.processes;
    const int64_t giveUpAt = m_services.clock.NowMs() + m_timing.stopGiveUpMs;
    while (processes.ProcessIdByName(name) != 0) {
        if (m_services.clock.NowMs() >= giveUpAt) {
            m_services.log.WriteLog(TerminateError);
            return;
        }
        processes.KillProcessByName(name);
        m_services.clock.SleepMs(m_timing.pollMs);
        Pump();
    }
}

void BatchDriver::TerminateWorker() {
    if (m_worker)
        m_worker->Terminate();
}

bool BatchDriver::RunEndActions() {
    const MainChoices& choices = m_services.proc.Choices();
    if (choices.chkShowOutputDirectory())
        OpenFolderInExplorer(m_services.shell, m_services.commands.OutputFolder());
    if (!choices.chkShutdown())
        return false;
    if (m_supervisor && !m_supervisor->PowerOffAllowed())
        return false;
    if (!ShutdownComputer(m_services.power) && m_supervisor) {
        m_supervisor->PowerOffRefused();
        return false;
    }
    m_services.view.EndProgram();
    return true;
}

void BatchDriver::RestoreWindows() {
    m_window.Hide();
    m_services.view.SetMainEnabled(true);
}
