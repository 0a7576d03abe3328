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

bool BatchSupervisor::BeginBatch(int32_t checkedCount) {
    m_results.Clear();
    m_preflight = {};
    m_weights.active = false;
    // A batch without a checked row converts nothing; its end actions run as they always did.
    if (checkedCount <= 0)
        return true;
    const OptionSelection& options = m_services.proc.Options();
    const int32_t outputType = options.cbbOutputFiletype.ItemIndex();
    PreflightInput input{m_services.proc.Choices().edtOutputFolder(),
                         TCommonLib::OutputExtensionOf(outputType),
                         SelectedBitrates(options),
                         m_services.freeSpace,
                         {}};
    // The estimates made so far (the cut time's tooltip asks for them); sample encodes started now
    // would only slow the batch down.
    if (SizeIsEstimated(options) && m_services.estimator != nullptr)
        input.estimate = [this, &options](std::size_t row) {
            return m_services.estimator->Ready(RowEstimateRequest(options, m_services.sources, row));
        };
    if (CopiesStreams(options))
        AddCopyProjection(input);
    m_preflight = CheckBatch(m_services.sources, input);
    // A problem-free batch asks nothing.
    if (!m_preflight.Clean() && !AskAboutProblems())
        return false;
    for (const auto& [row, problem] : m_preflight.badRows)
        m_results.Add(
            {row, m_services.sources.Cell(row, colFileName), {}, RowOutcome::NotConverted, problem});
    StartWeights();
    m_weights.active = true;
    m_services.desktop.HoldOffSleep(SleepReason);
    m_services.desktop.PublishProgress(0);
    return true;
}

void BatchSupervisor::AddCopyProjection(PreflightInput& input) {
    const CopyProjection copy{m_services.copyProbe, m_services.proc.Choices().Cut()};
    input.rowExtension = [this](std::size_t row) {
        const std::string& path = m_services.sources.Cell(row, colFileName);
        CopySourceProbe* probe = m_services.copyProbe;
        return CopyOutputExtension(probe != nullptr ? probe->Probe(path).container : "", path);
    };
    input.rowBytes = [this, copy](std::size_t row) {
        return CopyRowBytes(m_services.sources, row, copy).value_or(0);
    };
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
    m_weights.total = 0;
    m_weights.done = 0;
    m_weights.row = 0;
    const SourceList& sources = m_services.sources;
    for (std::size_t row = 0; row < sources.RowCount(); ++row)
        if (sources.Cell(row, colCheck) == CheckedText && !IsBadRow(row))
            m_weights.total += RowWeight(row);
    m_startMs = m_services.clock.NowMs();
    m_services.progress.lblTimeLeft.clear();
}

std::string BatchSupervisor::RowStarted(std::size_t row, const ConvertCommand& command) {
    DropPartial();
    m_command = command;
    m_weights.row = RowWeight(row);
    m_tail.Clear();
    m_cutWatch.Clear();
    m_reserveProblem.clear();
    m_endSignal = 0;
    if (command.OutputPath.empty())
        return command.CommandLine;
    m_partialPath = CreatePartialOutput(command.OutputPath, m_reserveProblem);
    if (!m_partialPath.empty() && m_services.holdPartial)
        m_partialHold = m_services.holdPartial(m_partialPath);
    m_command.CommandLine =
        m_partialPath.empty() ? std::string() : WithOutputPath(command.CommandLine, m_partialPath);
    if (m_command.CommandLine.empty() && m_reserveProblem.empty())
        m_reserveProblem = "the command line names no output";
    if (m_command.CommandLine.empty()) {
        m_command.OutputPath.clear(); // nothing is written, so no output is named
        DropPartial();
    }
    return m_command.CommandLine;
}

void BatchSupervisor::RefreshProgress() {
    if (!m_weights.Weighed())
        return;
    const int64_t position = m_weights.Position(m_services.progress.ProgressBar1.position);
    UpdateTimeLeft(position);
    m_services.desktop.PublishProgress(static_cast<double>(position) / static_cast<double>(m_weights.total));
}

void BatchSupervisor::UpdateTimeLeft(int64_t position) {
    const double done = static_cast<double>(position) / static_cast<double>(m_weights.total);
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

RowOutcome BatchSupervisor::RowFinished(std::size_t row, bool stopped) {
    RowResult result;
    result.row = row;
    result.source = m_services.sources.Cell(row, colFileName);
    result.output = m_command.OutputPath;
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
    // The transcoder's own word on the cut goes before what was known when the row started.
    if (!result.output.empty())
        result.notice = m_cutWatch.Notice().empty() ? m_command.CutNotice : m_cutWatch.Notice();
    m_weights.done += m_weights.row;
    m_weights.row = 0;
    const RowOutcome outcome = result.outcome;
    m_results.Add(std::move(result));
    return outcome;
}

RowResult BatchSupervisor::JudgeRun(RowResult result, std::size_t row) {
    const std::string written = m_partialPath.empty() ? result.output : m_partialPath;
    result = JudgeOutput(result, Inspect(written), ExpectedSeconds(row),
                         {m_tail.LastErrorLine(), m_endSignal, SourceChanged(row), m_command.LeadMs});
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
    if (!m_weights.active)
        return;
    // Its weight leaves the batch, so the batch bar still reaches its end.
    m_weights.total -= RowWeight(row);
    m_results.Add({row, m_services.sources.Cell(row, colFileName), {}, RowOutcome::NotConverted, reason});
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

// The length asked for (DurationText of the row's command), cut where the source ends.
int64_t BatchSupervisor::ExpectedSeconds(std::size_t row) const {
    const SourceList& sources = m_services.sources;
    const int64_t cut = WholeNumber(m_command.DurationText).value_or(RowCutSeconds(sources, row));
    return ExpectedOutputSeconds(cut, TryTimeTextToSeconds(sources.Cell(row, colStartTime)).value_or(0),
                                 TryTimeTextToSeconds(sources.Cell(row, colDuration)).value_or(0));
}

void BatchSupervisor::EndBatch() {
    DropPartial(); // a row stopped before its transcoder started wrote nothing
    if (!m_weights.active)
        return;
    m_weights.active = false;
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
    const std::string notices = NoticesText(m_results.Rows());
    if (m_results.AllConverted() && notices.empty())
        return;
    BatchSummary summary{m_results.Rows(), OutputFolder(), notices};
    if (m_services.proc.Choices().chkShutdown() && !PowerOffAllowed())
        summary.note = PowerOffSkipped + (notices.empty() ? "" : "\n" + notices);
    m_services.summary.ShowSummary(summary);
}

std::string BatchSupervisor::OutputFolder() const {
    std::string folder = m_services.proc.Choices().edtOutputFolder();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}
