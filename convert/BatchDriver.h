#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "convert/AdvanceSystem.h"
#include "convert/BatchControl.h"
#include "convert/BatchState.h"
#include "convert/BatchSupervision.h"
#include "convert/BatchTiming.h"
#include "convert/BatchView.h"
#include "convert/ChunkQueue.h"
#include "convert/CommandBuilder.h"
#include "convert/ConvertingState.h"
#include "convert/ConvertingWindowLogic.h"
#include "convert/ProcessLauncher.h"
#include "profiles/CustomProc.h"
#include "sources/SourceList.h"
#include "support/Log.h"
#include "support/MessageBoxes.h"
#include "support/SystemServices.h"

// Everything a batch works with; all live longer than the driver.
struct BatchServices {
    TCustomProc& proc;
    SourceList& sources;
    CommandBuilder& commands;
    // The checks of the batch and its outputs, the summary and the desktop.
    BatchSupervision& supervision;
    ConvertingState& progress;
    BatchView& view;
    MessageBoxPresenter& boxes;
    const TAppFunc& log;
    ProcessLauncher& launcher;
    Clock& clock;
    EventPump& pump;
    Shell& shell;
    Power& power;
};

// Converts every checked row of the source list, one transcoder run after another, on the
// user-interface thread. While it waits it pumps: window events run nested inside the batch, and
// the output the worker hands over reaches the progress window. All output of a file is delivered
// (or, after a stop, dropped) before the next file starts.
class BatchDriver final : public BatchControl {
public:
    explicit BatchDriver(BatchServices services, BatchTiming timing = {});
    ~BatchDriver();
    BatchDriver(const BatchDriver&) = delete;
    BatchDriver& operator=(const BatchDriver&) = delete;

    // Runs a batch over the source list and returns when it has ended. A call while a batch runs
    // (from a nested event) does nothing. Errors from building a command line end the batch with
    // the windows restored and are raised to the caller.
    void ConvertBatch();
    bool Running() const { return m_running; }

    // Shows one chunk of transcoder output in the progress window and refreshes the bars.
    void OnTranscoderOutput(const std::string& chunk);
    // Ends the transcoder this batch started, and no other process: a worker that has not started
    // it yet never does; a running one is asked to end (SIGTERM) and killed after
    // BatchTiming::stopGraceMs. Pumps while it waits; logs "Terminate process error." when the
    // transcoder is still there BatchTiming::stopGiveUpMs after the kill.
    void StopTranscoder() override;
    // Delivers the output handed over so far, then lets pending window events run.
    void Pump();

    // Drops the current file's output from now on (the transcoder was stopped).
    void DiscardOutput() override { m_discardOutput = true; }
    std::size_t RowCount() const override { return m_services.sources.RowCount(); }

    // The batch's state: the current and the last batch's counts, row and command.
    BatchState& State() { return m_state; }
    const BatchState& State() const { return m_state; }
    ConvertingWindowLogic& ProgressWindow() { return m_window; }
    const BatchTiming& Timing() const { return m_timing; }

private:
    void CountCheckedRows();
    void ConvertRows();
    void ConvertRow(std::size_t row);
    void FinishRow(std::size_t row);
    void SkipRow(std::size_t row, const std::string& reason);
    void StartWorker();
    bool RowIsPastEnd() const;
    BatchSupervision& Supervision() { return m_services.supervision; }
    bool QuickBatch() const { return m_services.proc.Choices().QuickBatch(); }
    // Quick batches skip the fixed pauses; they still wait for the own transcoder.
    int64_t PauseMs(int64_t pause) const { return QuickBatch() ? 0 : pause; }
    // Waits `milliseconds`, serving window events every BatchTiming::pollMs.
    void PauseServingEvents(int64_t milliseconds);
    void WaitForTranscoder();
    // Pumps until the worker has finished or `milliseconds` have passed; true when it finished.
    bool WaitForWorker(int64_t milliseconds);
    void FinishWorker();
    void DeliverOutput();
    // Rows that are checked but have nothing to convert (end at or before start): the user is
    // told once, and the batch passes them by.
    void FindEmptyRows();
    // True when the program was asked to end.
    bool RunEndActions();
    void RestoreWindows();

    BatchServices m_services;
    const BatchTiming m_timing;
    BatchState m_state;
    ConvertingWindowLogic m_window;
    ChunkQueue m_output;
    std::unique_ptr<TAdvanceSystem> m_worker;
    std::vector<std::size_t> m_emptyRows;
    bool m_discardOutput = false;
    bool m_running = false;
};
