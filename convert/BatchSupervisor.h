#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/BatchResult.h"
#include "convert/BatchSummary.h"
#include "convert/BatchSupervision.h"
#include "convert/ConvertingState.h"
#include "convert/PreflightCheck.h"
#include "profiles/CustomProc.h"
#include "sources/MediaProbe.h"
#include "sources/SourceList.h"
#include "support/DesktopSession.h"
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

    void RowStarted(std::size_t row, const ConvertCommand& command) override;
    void Output(const std::string& chunk) override { m_tail.Add(chunk); }
    void RefreshProgress() override;
    void RowSkipped(std::size_t row, const std::string& reason) override;
    // Checks the output and keeps the row's result.
    RowOutcome RowFinished(std::size_t row, bool stopped) override;

    // Rows never reached are noted, the desktop released and notified.
    void EndBatch() override;
    // The power-off end action is skipped when a file failed.
    bool PowerOffAllowed() const override { return m_results.Count(RowOutcome::Failed) == 0; }
    // The settings are saved and the user is told.
    void PowerOffRefused() override;
    // The summary window, unless every row was converted.
    void ShowSummaryIfNeeded() override;

    const BatchWeights& Weights() const override { return m_weights; }
    const BatchResults& Results() const { return m_results; }

private:
    bool AskAboutProblems();
    void StartWeights();
    int64_t RowWeight(std::size_t row) const;
    OutputFacts Inspect(const std::string& path);
    int64_t ExpectedSeconds(std::size_t row) const;
    void UpdateTimeLeft(int64_t position);
    std::string OutputFolder() const;

    BatchSupervisorServices m_services;
    PreflightReport m_preflight;
    BatchResults m_results;
    TranscoderTail m_tail;
    ConvertCommand m_command; // of the current row
    BatchWeights m_weights;
    int64_t m_startMs = 0;
};
