#include "convert/AdvanceSystem.h"

#include <utility>

TAdvanceSystem::TAdvanceSystem(ProcessLauncher& launcher, Clock& clock, std::string workingFolder,
                               std::string command, OutputCallback outputCallback, BatchTiming timing)
    : m_launcher(launcher), m_clock(clock), m_workingFolder(std::move(workingFolder)),
      m_command(std::move(command)), m_outputCallback(std::move(outputCallback)), m_timing(timing) {}

TAdvanceSystem::~TAdvanceSystem() {
    if (m_thread.joinable())
        m_thread.join();
}

void TAdvanceSystem::Start() {
    if (m_thread.joinable())
        return;
    m_finished = false;
    m_thread = std::thread([this] { Execute(); });
}

void TAdvanceSystem::WaitFor() {
    if (m_thread.joinable())
        m_thread.join();
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
}

void TAdvanceSystem::Execute() {
    try {
        // The result (started or not) is read by nobody: a run that never started ends the file.
        RunTranscoder(m_launcher, m_clock, m_command, m_workingFolder, m_outputCallback, m_timing);
    } catch (...) {
        // Raised again on the user-interface thread by WaitFor().
        m_error = std::current_exception();
    }
    m_finished = true;
}
