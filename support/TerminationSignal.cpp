#include "support/TerminationSignal.h"

#include <cerrno>
#include <csignal>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

// Written by the signal handler, so a plain int: no allocation, no lock.
volatile sig_atomic_t g_writeEnd = -1;

void OnSignal(int /*signal*/) {
    const int savedErrno = errno;
    const char byte = 1;
    if (g_writeEnd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(g_writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignal::TerminationSignal(std::function<void()> onRequest) : m_onRequest(std::move(onRequest)) {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe SIGTERM keeps its default action
    m_readEnd = FileDescriptor(ends[0]);
    g_writeEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd.Get(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignal::Drain);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

TerminationSignal::~TerminationSignal() {
    ::signal(SIGTERM, SIG_DFL);
    if (g_writeEnd >= 0)
        ::close(g_writeEnd);
    g_writeEnd = -1;
}

void TerminationSignal::Drain() {
    char buffer[64];
    while (::read(m_readEnd.Get(), buffer, sizeof buffer) > 0) {
    }
    if (m_onRequest)
        m_onRequest();
}
