#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/BatchResult.h"
#include "convert/BatchSummary.h"
#include "convert/CommandBuilder.h"
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
    CommandBuilder& commands;
    ConvertingState& progress;
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
class BatchSupervisor {
public:
    explicit BatchSupervisor(BatchSupervisorServices services) : m_services(std::move(services)) {}

    // The pre-flight, before the first row. False when the user goes back (or nothing is left);
    // otherwise the batch goes on without the rows found bad, and the desktop is told.
    bool BeginBatch();
    // True for a row found bad before the batch: it is not started.
    bool IsBadRow(std::size_t row) const { return m_preflight.badRows.contains(row); }

    void RowStarted(std::size_t row, const std::string& commandLine);
    // Every chunk of transcoder output of the current row.
    void Output(const std::string& chunk) { m_tail.Add(chunk); }
    // After each progress refresh: the batch bar by cut time, the time left, the dock.
    void RefreshProgress();
    // A checked row the batch passes by without starting it, for `reason`.
    void RowSkipped(std::size_t row, const std::string& reason);
    // After the row's transcoder has ended; `stopped` when the user stopped or closed meanwhile.
    void RowFinished(std::size_t row, bool stopped);

    // After the last row: rows never reached are noted, the desktop released and notified.
    void EndBatch();
    // The power-off end action is skipped when a file failed.
    bool PowerOffAllowed() const { return m_results.Count(RowOutcome::Failed) == 0; }
    // The system refused to power off: the settings are saved and the user is told.
    void PowerOffRefused();
    // The summary window, unless every row was converted.
    void ShowSummaryIfNeeded();

    const BatchResults& Results() const { return m_results; }

private:
    bool AskAboutProblems();
    void StartWeights();
    int64_t RowWeight(std::size_t row) const;
    OutputFacts Inspect(const std::string& path);
    int64_t ExpectedSeconds(std::size_t row) const;
    void ShowFileDone();
    void UpdateTimeLeft(int64_t position);
    std::string OutputFolder() const;

    BatchSupervisorServices m_services;
    PreflightReport m_preflight;
    BatchResults m_results;
    TranscoderTail m_tail;
    std::string m_commandLine;
    int64_t m_totalWeight = 0;
    int64_t m_doneWeight = 0;
    int64_t m_rowWeight = 0;
    int64_t m_startMs = 0;
    bool m_active = false;
};
