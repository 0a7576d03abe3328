#pragma once

#include <atomic>
#include <exception>
#include <string>
#include <thread>

#include "convert/BatchTiming.h"
#include "convert/ProcessLauncher.h"
#include "convert/TranscoderRunner.h"
#include "support/SystemServices.h"

// The worker of one file: a thread that runs RunTranscoder once with its command line. Created
// suspended; Start() runs it. OutputCallback is called on the worker thread and must not block.
class TAdvanceSystem {
public:
    TAdvanceSystem(ProcessLauncher& launcher, Clock& clock, std::string workingFolder, std::string command,
                   OutputCallback outputCallback, BatchTiming timing = {});
    // Waits for the thread.
    ~TAdvanceSystem();
    TAdvanceSystem(const TAdvanceSystem&) = delete;
    TAdvanceSystem& operator=(const TAdvanceSystem&) = delete;

    const std::string& Command() const { return m_command; }

    void Start();
    // Sets the terminate flag. The body does not read it: the worker ends when its child has gone.
    void Terminate() { m_terminated = true; }
    bool Terminated() const { return m_terminated; }
    // True once the body has returned (or when it was never started).
    bool Finished() const { return m_finished; }
    // Waits for the thread and raises what the body raised, if anything.
    void WaitFor();

private:
    void Execute();

    ProcessLauncher& m_launcher;
    Clock& m_clock;
    const std::string m_workingFolder;
    const std::string m_command;
    const OutputCallback m_outputCallback;
    const BatchTiming m_timing;
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{true};
    std::exception_ptr m_error;
    std::thread m_thread;
};
