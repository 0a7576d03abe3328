#pragma once

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "convert/BatchTiming.h"
#include "convert/ProcessLauncher.h"
#include "convert/TranscoderRunner.h"
#include "support/SystemServices.h"

// The worker of one file: a thread that starts the transcoder once and hands its output on until
// it has ended. Created suspended; Start() runs it. OutputCallback is called on the worker thread
// and must not block. The worker owns its child: the batch ends it through AskChildToEnd() and
// KillChild() and never touches any other process.
class TAdvanceSystem {
public:
    TAdvanceSystem(ProcessLauncher& launcher, Clock& clock, std::string workingFolder, std::string executable,
                   std::string arguments, OutputCallback outputCallback, BatchTiming timing = {});
    // Waits for the thread.
    ~TAdvanceSystem();
    TAdvanceSystem(const TAdvanceSystem&) = delete;
    TAdvanceSystem& operator=(const TAdvanceSystem&) = delete;

    const std::string& Executable() const { return m_executable; }

    void Start();
    // Sets the terminate flag: a worker that has not started its child yet never starts it. A
    // child already running is ended only by AskChildToEnd() or KillChild().
    void Terminate();
    bool Terminated() const { return m_terminated; }
    // SIGTERM or SIGKILL to the child, if it was started and has not been reaped.
    void AskChildToEnd();
    void KillChild();
    // True once the body has returned (or when it was never started).
    bool Finished() const { return m_finished; }
    // Waits for the thread and raises what the body raised, if anything.
    void WaitFor();
    // The signal that ended the child, once it has ended; 0 when it exited or never ran.
    int EndSignal() const { return m_endSignal; }

private:
    void Execute();
    std::shared_ptr<ChildProcess> StartChild();
    std::shared_ptr<ChildProcess> Child();

    ProcessLauncher& m_launcher;
    Clock& m_clock;
    const std::string m_workingFolder;
    const std::string m_executable;
    const std::string m_arguments;
    const OutputCallback m_outputCallback;
    const BatchTiming m_timing;
    std::mutex m_childMutex; // the terminate flag's check and the start are one step
    std::shared_ptr<ChildProcess> m_child;
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{true};
    std::atomic<int> m_endSignal{0};
    std::exception_ptr m_error;
    std::thread m_thread;
};
