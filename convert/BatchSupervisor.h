#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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
#include "support/FileFunc.h"
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
    // Marks a partial output as being written, for as long as the returned holder lives, so that
    // another Rivamo starting meanwhile leaves it alone; none without it.
    std::function<std::shared_ptr<void>(const std::string&)> holdPartial = {};
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

    // The row's command line is about to run: its output goes to a partial file created now in the
    // output folder. Returns the command line to run, writing that file; the empty text (nothing
    // runs) when the file cannot be created.
    std::string RowStarted(std::size_t row, const std::string& commandLine);
    // The signal that ended the row's transcoder, 0 when it exited by itself.
    void TranscoderEnded(int signal) { m_endSignal = signal; }
    // Every chunk of transcoder output of the current row.
    void Output(const std::string& chunk) { m_tail.Add(chunk); }
    // After each progress refresh: the batch bar by cut time, the time left, the dock.
    void RefreshProgress();
    // A checked row the batch passes by without starting it, for `reason`.
    void RowSkipped(std::size_t row, const std::string& reason);
    // After the row's transcoder has ended; `stopped` when the user stopped or closed meanwhile.
    // An output that passes the check takes its final name; a stopped row's output is kept under a
    // final name only when what was converted plays; any other partial file is removed.
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
    RowResult JudgeRun(RowResult result, std::size_t row);
    RowResult KeepStoppedOutput(RowResult result);
    // Gives the partial file its final name into result.output; false (the file removed) when it
    // cannot have one.
    bool Publish(RowResult& result);
    void DropPartial();
    bool SourceChanged(std::size_t row) const;
    int64_t ExpectedSeconds(std::size_t row) const;
    void ShowFileDone();
    void UpdateTimeLeft(int64_t position);
    std::string OutputFolder() const;

    BatchSupervisorServices m_services;
    PreflightReport m_preflight;
    BatchResults m_results;
    TranscoderTail m_tail;
    std::string m_commandLine;
    std::string m_partialPath;    // the current row's output while it is being written
    std::string m_reserveProblem; // why no partial file could be created for the current row
    std::shared_ptr<void> m_partialHold;
    int m_endSignal = 0;
    TFileFunc m_names;
    int64_t m_totalWeight = 0;
    int64_t m_doneWeight = 0;
    int64_t m_rowWeight = 0;
    int64_t m_startMs = 0;
    bool m_active = false;
};
