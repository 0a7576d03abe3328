#include "convert/AdvanceSystem.h"

#include <utility>

TAdvanceSystem::TAdvanceSystem(ProcessLauncher& launcher, Clock& clock, std::string workingFolder,
                               std::string executable, std::string arguments, OutputCallback outputCallback,
                               BatchTiming timing)
    : m_launcher(launcher), m_clock(clock), m_workingFolder(std::move(workingFolder)),
      m_executable(std::move(executable)), m_arguments(std::move(arguments)),
      m_outputCallback(std::move(outputCallback)), m_timing(timing) {}

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

void TAdvanceSystem::Terminate() {
    const std::lock_guard lock(m_childMutex);
    m_terminated = true;
}

std::shared_ptr<ChildProcess> TAdvanceSystem::Child() {
    const std::lock_guard lock(m_childMutex);
    return m_child;
}

void TAdvanceSystem::AskChildToEnd() {
    if (const auto child = Child())
        child->AskToEnd();
}

void TAdvanceSystem::KillChild() {
    if (const auto child = Child())
        child->Kill();
}

void TAdvanceSystem::WaitFor() {
    if (m_thread.joinable())
        m_thread.join();
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
}

std::shared_ptr<ChildProcess> TAdvanceSystem::StartChild() {
    const std::lock_guard lock(m_childMutex);
    if (m_terminated)
        return nullptr;
    m_child = m_launcher.Start(m_executable, m_arguments, m_workingFolder);
    return m_child;
}

void TAdvanceSystem::Execute() {
    try {
        // A child that could not be started ends the file at once; nobody reads why.
        if (const auto child = StartChild()) {
            ReadTranscoderOutput(*child, m_clock, m_outputCallback, m_timing);
            m_endSignal = child->EndSignal();
        }
    } catch (...) {
        // Raised again on the user-interface thread by WaitFor().
        m_error = std::current_exception();
    }
    m_finished = true;
}
