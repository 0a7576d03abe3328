#pragma once

#include <functional>
#include <memory>

#include <QObject>

#include "support/FileDescriptor.h"

class QSocketNotifier;

// Turns SIGTERM into a call on the user-interface thread: the handler only writes a byte into a
// pipe (the one thing a signal handler may safely do), and a notifier on the pipe's other end runs
// the request from the event loop, also while a batch pumps events. One instance per process.
class TerminationSignal final : public QObject {
public:
    explicit TerminationSignal(std::function<void()> onRequest);
    ~TerminationSignal() override;

private:
    void Drain();

    FileDescriptor m_readEnd;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_onRequest;
};
