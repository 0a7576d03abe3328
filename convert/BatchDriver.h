#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "convert/AdvanceSystem.h"
#include "convert/BatchSupervisor.h"
#include "convert/BatchTiming.h"
#include "convert/BatchView.h"
#include "convert/ChunkQueue.h"
#include "convert/CommandBuilder.h"
#include "convert/ConvertingState.h"
#include "convert/ConvertingWindowLogic.h"
#include "convert/CustomProc.h"
#include "convert/ProcessLauncher.h"
#include "sources/SourceList.h"
#include "support/Log.h"
#include "support/MessageBoxes.h"
#include "support/ProcessHelpers.h"
#include "support/SystemServices.h"

// Everything a batch works with; all live longer than the driver.
struct BatchServices {
    TCustomProc& proc;
    SourceList& sources;
    CommandBuilder& commands;
    ConvertingState& progress;
    BatchView& view;
    MessageBoxPresenter& boxes;
    TSysFunc& processes;
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
class BatchDriver {
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
    // Kills every process named like the file-name part of `pathOrName`, then every "trenc",
    // pumping between attempts; gives up on a name after BatchTiming::stopGiveUpMs.
    void StopTranscoder(const std::string& pathOrName);
    // Delivers the output handed over so far, then lets pending window events run.
    void Pump();

    // Used by the progress window's stop and close.
    void TerminateWorker();
    // Drops the current file's output from now on (the transcoder was stopped).
    void DiscardOutput() { m_discardOutput = true; }
    std::size_t RowCount() const { return m_services.sources.RowCount(); }

    // Checks of the batch and its outputs, the summary and the desktop; without one the batch runs
    // unchecked.
    void AttachSupervisor(BatchSupervisor* supervisor) { m_supervisor = supervisor; }

    ConvertingWindowLogic& ProgressWindow() { return m_window; }
    const BatchTiming& Timing() const { return m_timing; }

private:
    void ConvertRows();
    void ConvertRow(std::size_t row);
    bool RowIsPastEnd() const;
    void WaitForTranscoders();
    bool QuickBatch() const { return m_services.proc.Choices().QuickBatch(); }
    int64_t PauseMs(int64_t pause) const { return QuickBatch() ? 0 : pause; }
    void WaitForWorker();
    void FinishWorker();
    void DeliverOutput();
    void StopProcessesNamed(const std::string& name);
    // True when the program was asked to end.
    bool RunEndActions();
    void RestoreWindows();

    BatchServices m_services;
    const BatchTiming m_timing;
    ConvertingWindowLogic m_window;
    ChunkQueue m_output;
    std::unique_ptr<TAdvanceSystem> m_worker;
    BatchSupervisor* m_supervisor = nullptr;
    bool m_discardOutput = false;
    bool m_running = false;
};
