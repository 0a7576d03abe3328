#include "convert/BatchSupervisor.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "convert/CommonLib.h"
#include "convert/OutputPublisher.h"
#include "support/Text.h"

namespace {

constexpr const char* SleepReason = "Converting videos";
constexpr const char* NotificationTitle = "Rivamo: conversion finished";
constexpr const char* StoppedDuringRow = "the batch was stopped while this file was converted";
constexpr const char* StoppedBeforeRow = "the batch was stopped before this file";
constexpr const char* NoCommandLine = "no command line could be built for it";
constexpr const char* NoPartialFile = "the output file could not be created: ";
constexpr const char* NoFinalName = "the output could not be given its name: ";
constexpr const char* StoppedAt = "stopped at ";
constexpr const char* PartialKept = "; the part converted is kept";
constexpr const char* PowerOffSkipped = "The computer was not powered off because a file failed.";
constexpr const char* PowerOffRefusedText =
    "The computer could not be powered off: the system refused (no permission, or no login manager "
    "is running). Rivamo keeps running; your settings are saved.";
constexpr int64_t MillisecondsPerMinute = 60'000;
// Below this share of the batch an estimate of the time left would be a guess.
constexpr double EstimateFromFraction = 0.02;

} // namespace

bool BatchSupervisor::BeginBatch() {
    m_results.Clear();
    m_preflight = {};
    m_active = false;
    // A batch without a checked row converts nothing; its end actions run as they always did.
    if (m_services.proc.CheckedCount <= 0)
        return true;
    const OptionSelection& options = m_services.proc.Options();
    const int32_t outputType = options.cbbOutputFiletype.ItemIndex();
    PreflightInput input{m_services.proc.Choices().edtOutputFolder(),
                         TCommonLib::OutputExtensionOf(outputType), SelectedBitrates(options),
                         m_services.freeSpace};
    m_preflight = CheckBatch(m_services.sources, input);
    // A problem-free batch asks nothing.
    if (!m_preflight.Clean() && !AskAboutProblems())
        return false;
    // The counter shows the files that will really be converted.
    m_services.proc.CheckedCount -= static_cast<int32_t>(m_preflight.badRows.size());
    for (const auto& [row, problem] : m_preflight.badRows)
        m_results.Add(
            {row, m_services.sources.Cell(row, colFileName), {}, RowOutcome::NotConverted, problem});
    StartWeights();
    m_active = true;
    m_services.desktop.HoldOffSleep(SleepReason);
    m_services.desktop.PublishProgress(0);
    return true;
}

bool BatchSupervisor::AskAboutProblems() {
    const std::string message = PreflightMessage(m_preflight);
    if (m_preflight.NothingLeft()) {
        m_services.boxes.Show(message, MessageIcon::Warning, MessageButtons::Ok);
        return false;
    }
    return m_services.boxes.Show(message, MessageIcon::Warning, MessageButtons::YesNo) == IdYes;
}

// Every row weighs its cut time, at least a second, so that a file of no length still counts.
int64_t BatchSupervisor::RowWeight(std::size_t row) const {
    return std::max<int64_t>(1, RowCutSeconds(m_services.sources, row));
}

void BatchSupervisor::StartWeights() {
    m_totalWeight = 0;
    m_doneWeight = 0;
    m_rowWeight = 0;
    const SourceList& sources = m_services.sources;
    for (std::size_t row = 0; row < sources.RowCount(); ++row)
        if (sources.Cell(row, colCheck) == CheckedText && !IsBadRow(row))
            m_totalWeight += RowWeight(row);
    m_startMs = m_services.clock.NowMs();
    m_services.progress.lblTimeLeft.clear();
}

std::string BatchSupervisor::RowStarted(std::size_t row, const std::string& commandLine) {
    DropPartial();
    m_commandLine = commandLine;
    m_rowWeight = RowWeight(row);
    m_tail.Clear();
    m_partialPath.clear();
    m_reserveProblem.clear();
    m_endSignal = 0;
    const std::string wanted = OutputPathOf(commandLine);
    if (wanted.empty())
        return commandLine;
    m_partialPath = CreatePartialOutput(wanted, m_reserveProblem);
    if (!m_partialPath.empty() && m_services.holdPartial)
        m_partialHold = m_services.holdPartial(m_partialPath);
    m_commandLine = m_partialPath.empty() ? std::string() : WithOutputPath(commandLine, m_partialPath);
    if (m_commandLine.empty() && m_reserveProblem.empty())
        m_reserveProblem = "the command line names no output";
    if (m_commandLine.empty())
        DropPartial();
    return m_commandLine;
}

void BatchSupervisor::RefreshProgress() {
    if (!m_active || m_totalWeight <= 0)
        return;
    ConvertingState& state = m_services.progress;
    const int64_t current = std::clamp<int64_t>(state.ProgressBar1.position, 0, m_rowWeight);
    const int64_t position = std::min(m_doneWeight + current, m_totalWeight);
    state.pbTotal.SetMaximum(static_cast<int32_t>(std::min<int64_t>(m_totalWeight, INT32_MAX)));
    state.pbTotal.SetPosition(static_cast<int32_t>(std::min<int64_t>(position, INT32_MAX)));
    UpdateTimeLeft(position);
    m_services.desktop.PublishProgress(static_cast<double>(position) / static_cast<double>(m_totalWeight));
}

void BatchSupervisor::UpdateTimeLeft(int64_t position) {
    const double done = static_cast<double>(position) / static_cast<double>(m_totalWeight);
    const int64_t elapsed = m_services.clock.NowMs() - m_startMs;
    std::string& text = m_services.progress.lblTimeLeft;
    if (done < EstimateFromFraction || elapsed <= 0) {
        text.clear();
        return;
    }
    const double leftMs = static_cast<double>(elapsed) * (1.0 - done) / done;
    const auto minutes = static_cast<int64_t>(leftMs / MillisecondsPerMinute) + 1;
    text = done >= 1.0 ? std::string() : "about " + std::to_string(minutes) + " min left";
}

void BatchSupervisor::RowFinished(std::size_t row, bool stopped) {
    RowResult result;
    result.row = row;
    result.source = m_services.sources.Cell(row, colFileName);
    result.output = WantedOutputOf(OutputPathOf(m_commandLine));
    if (!m_reserveProblem.empty()) {
        result.outcome = RowOutcome::Failed;
        result.reason = NoPartialFile + m_reserveProblem;
    } else if (stopped) {
        result = KeepStoppedOutput(result);
    } else if (result.output.empty()) {
        result.outcome = RowOutcome::Failed;
        result.reason = NoCommandLine;
    } else {
        result = JudgeRun(result, row);
    }
    if (result.outcome == RowOutcome::Failed)
        m_services.log.WriteLog(FailureLogLine(result));
    m_doneWeight += m_rowWeight;
    m_rowWeight = 0;
    if (result.outcome == RowOutcome::Converted)
        ShowFileDone();
    m_results.Add(std::move(result));
}

RowResult BatchSupervisor::JudgeRun(RowResult result, std::size_t row) {
    const std::string written = m_partialPath.empty() ? result.output : m_partialPath;
    result = JudgeOutput(result, Inspect(written), ExpectedSeconds(row),
                         {m_tail.LastErrorLine(), m_endSignal, SourceChanged(row)});
    if (m_partialPath.empty())
        return result;
    if (result.outcome != RowOutcome::Converted) {
        DropPartial(); // what failed the check never appears as an output
        return result;
    }
    if (!Publish(result))
        result.outcome = RowOutcome::Failed;
    return result;
}

// The transcoder ends a stopped file properly, so the part converted may play; then it is kept.
RowResult BatchSupervisor::KeepStoppedOutput(RowResult result) {
    result.reason = StoppedDuringRow;
    if (m_partialPath.empty())
        return result;
    const OutputFacts facts = Inspect(m_partialPath);
    if (facts.durationMs <= 0) {
        DropPartial();
        return result;
    }
    result.sizeBytes = facts.sizeBytes;
    result.lengthMs = facts.durationMs;
    if (Publish(result))
        result.reason = StoppedAt + StoppedAtText(facts.durationMs) + PartialKept;
    return result;
}

bool BatchSupervisor::Publish(RowResult& result) {
    std::string error;
    const std::string published = PublishOutput(m_partialPath, m_names, error);
    if (published.empty()) {
        result.reason = NoFinalName + error;
        DropPartial();
        return false;
    }
    m_partialPath.clear();
    m_partialHold.reset();
    result.output = published;
    m_services.log.WriteLog("Output file " + published);
    return true;
}

void BatchSupervisor::DropPartial() {
    std::error_code ignored; // a partial file that cannot be removed is removed at the next start
    if (!m_partialPath.empty())
        std::filesystem::remove(m_partialPath, ignored);
    m_partialPath.clear();
    m_partialHold.reset();
}

// The size shown in the row was read when the source was added.
bool BatchSupervisor::SourceChanged(std::size_t row) const {
    const std::string& shown = m_services.sources.Cell(row, colFileSize);
    if (shown.empty())
        return false;
    std::error_code error;
    const auto size = std::filesystem::file_size(m_services.sources.Cell(row, colFileName), error);
    return !error && SizeText(static_cast<int64_t>(size)) != shown;
}

void BatchSupervisor::RowSkipped(std::size_t row, const std::string& reason) {
    if (!m_active)
        return;
    // Its weight leaves the batch, so the batch bar still reaches its end.
    m_totalWeight -= RowWeight(row);
    m_results.Add({row, m_services.sources.Cell(row, colFileName), {}, RowOutcome::NotConverted, reason});
    RefreshProgress();
}

OutputFacts BatchSupervisor::Inspect(const std::string& path) {
    OutputFacts facts;
    std::error_code error;
    // The partial file exists from the start: an empty one is an output never written.
    const bool file = std::filesystem::is_regular_file(path, error);
    facts.sizeBytes = file ? static_cast<int64_t>(std::filesystem::file_size(path, error)) : 0;
    facts.exists = file && !error && facts.sizeBytes > 0;
    if (!facts.exists)
        return facts;
    facts.durationMs = m_services.probe.NewGraph()->RenderDurationMs(path);
    return facts;
}

// The length asked for (DurationText of the command just built), cut where the source ends.
int64_t BatchSupervisor::ExpectedSeconds(std::size_t row) const {
    const SourceList& sources = m_services.sources;
    const int64_t cut = WholeNumber(m_services.proc.DurationText).value_or(RowCutSeconds(sources, row));
    return ExpectedOutputSeconds(cut, TryTimeTextToSeconds(sources.Cell(row, colStartTime)).value_or(0),
                                 TryTimeTextToSeconds(sources.Cell(row, colDuration)).value_or(0));
}

// A file that converted faster than its first status line still fills its bar.
void BatchSupervisor::ShowFileDone() {
    ConvertingState& state = m_services.progress;
    state.ProgressBar1.minimum = 0;
    state.ProgressBar1.SetMaximum(std::max(state.ProgressBar1.maximum, 1));
    state.ProgressBar1.SetPosition(state.ProgressBar1.maximum);
    RefreshProgress();
    state.Changed();
}

void BatchSupervisor::EndBatch() {
    DropPartial(); // a row stopped before its transcoder started wrote nothing
    if (!m_active)
        return;
    m_active = false;
    const SourceList& sources = m_services.sources;
    for (std::size_t row = 0; row < sources.RowCount(); ++row)
        if (sources.Cell(row, colCheck) == CheckedText && !m_results.Has(row))
            m_results.Add(
                {row, sources.Cell(row, colFileName), {}, RowOutcome::NotConverted, StoppedBeforeRow});
    m_services.progress.lblTimeLeft.clear();
    m_services.desktop.HideProgress();
    m_services.desktop.AllowSleep();
    m_services.desktop.Notify(NotificationTitle, CountsText(m_results));
}

void BatchSupervisor::PowerOffRefused() {
    m_services.proc.SaveUserSettings();
    m_services.boxes.Show(PowerOffRefusedText, MessageIcon::Warning, MessageButtons::Ok);
}

void BatchSupervisor::ShowSummaryIfNeeded() {
    if (m_results.AllConverted())
        return;
    BatchSummary summary{m_results.Rows(), OutputFolder(), {}};
    if (m_services.proc.Choices().chkShutdown() && !PowerOffAllowed())
        summary.note = PowerOffSkipped;
    m_services.summary.ShowSummary(summary);
}

std::string BatchSupervisor::OutputFolder() const {
    std::string folder = m_services.proc.Choices().edtOutputFolder();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}
