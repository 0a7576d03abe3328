#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "convert/BatchResult.h"
#include "convert/BatchSummary.h"
#include "convert/BatchSupervision.h"
#include "convert/ConvertingState.h"
#include "convert/CopyCut.h"
#include "convert/PreflightCheck.h"
#include "profiles/CustomProc.h"
#include "sources/MediaProbe.h"
#include "sources/SourceList.h"
#include "support/DesktopSession.h"
#include "support/FileFunc.h"
#include "support/Log.h"
#include "support/MessageBoxes.h"
#include "support/SystemServices.h"

struct BatchSupervisorServices {
    TCustomProc& proc;
    const SourceList& sources;
    ConvertingState& progress; // it reads the bars and writes only the time left
    MessageBoxPresenter& boxes;
    const TAppFunc& log;
    MediaProbe& probe;
    DesktopSession& desktop;
    BatchSummaryView& summary;
    Clock& clock;
    FreeSpaceQuery freeSpace = FreeSpaceOf;
    SizeEstimator* estimator = nullptr; // the sizes of constant-quality and lossless outputs
    // Marks a partial output as being written, for as long as the returned holder lives, so that
    // another Rivamo starting meanwhile leaves it alone; none without it.
    std::function<std::shared_ptr<void>(const std::string&)> holdPartial = {};
    // The containers and key frames of the sources, for the output type that copies every stream.
    CopySourceProbe* copyProbe = nullptr;
};

// Makes a batch's outcome known: checks the whole batch before it starts, checks every output
// after its transcoder run, keeps each row's result, weighs the progress by cut time, keeps the
// desktop informed, and sums the batch up at its end. The batch driver calls it at fixed points;
// it never changes what the driver does for a batch whose files all convert.
class BatchSupervisor final : public BatchSupervision {
public:
    explicit BatchSupervisor(BatchSupervisorServices services) : m_services(std::move(services)) {}

    // The pre-flight, before the first row; the desktop is told when the batch goes on.
    bool BeginBatch(int32_t checkedCount) override;
    std::size_t BadRowCount() const override { return m_preflight.badRows.size(); }
    bool IsBadRow(std::size_t row) const override { return m_preflight.badRows.contains(row); }

    // The row's output goes to a partial file created now in the output folder. Returns the
    // command line to run, writing that file; the empty text (nothing runs) when the file cannot
    // be created.
    std::string RowStarted(std::size_t row, const ConvertCommand& command) override;
    void TranscoderEnded(int signal) override { m_endSignal = signal; }
    void Output(const std::string& chunk) override {
        m_tail.Add(chunk);
        m_cutWatch.Add(chunk);
    }
    void RefreshProgress() override;
    void RowSkipped(std::size_t row, const std::string& reason) override;
    // Checks the output and keeps the row's result. An output that passes the check takes its
    // final name; a stopped row's output is kept under a final name only when what was converted
    // plays; any other partial file is removed.
    RowOutcome RowFinished(std::size_t row, bool stopped) override;

    // Rows never reached are noted, the desktop released and notified.
    void EndBatch() override;
    // The power-off end action is skipped when a file failed.
    bool PowerOffAllowed() const override { return m_results.Count(RowOutcome::Failed) == 0; }
    // The settings are saved and the user is told.
    void PowerOffRefused() override;
    // The summary window, unless every row was converted as asked.
    void ShowSummaryIfNeeded() override;

    const BatchWeights& Weights() const override { return m_weights; }
    const BatchResults& Results() const { return m_results; }

private:
    bool AskAboutProblems();
    // The per-source extensions and sizes of the copy type.
    void AddCopyProjection(PreflightInput& input);
    void StartWeights();
    int64_t RowWeight(std::size_t row) const;
    OutputFacts Inspect(const std::string& path);
    RowResult JudgeRun(RowResult result, std::size_t row);
    RowResult KeepStoppedOutput(RowResult result);
    // Gives the partial file its final name into result.output; false (the file removed) when it
    // cannot have one.
    bool Publish(RowResult& result);
    void DropPartial();
    bool SourceChanged(std::size_t row) const;
    int64_t ExpectedSeconds(std::size_t row) const;
    void UpdateTimeLeft(int64_t position);
    std::string OutputFolder() const;

    BatchSupervisorServices m_services;
    PreflightReport m_preflight;
    BatchResults m_results;
    TranscoderTail m_tail;
    CutFallbackWatch m_cutWatch;
    ConvertCommand m_command; // of the current row, its line pointed at the partial file
    BatchWeights m_weights;
    std::string m_partialPath;    // the current row's output while it is being written
    std::string m_reserveProblem; // why no partial file could be created for the current row
    std::shared_ptr<void> m_partialHold;
    int m_endSignal = 0;
    TFileFunc m_names;
    int64_t m_startMs = 0;
};
