#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QObject>

#include "support/FileDescriptor.h"

class QLocalServer;

// One running Rivamo per data folder (where Config/, log.txt and the script live): the first start
// holds a lock on the file rivamo.lock in the folder for its whole life and listens on a local
// socket of the user's own; a second start finds the file locked and asks the first, through that
// socket, to bring its window forward. The lock is the system's, held on an open descriptor: it
// ends with the process however it ends, and a copy of the folder holds no lock.
class SingleInstance final : public QObject {
public:
    // `dataFolder` with a trailing "/".
    explicit SingleInstance(const std::string& dataFolder);
    ~SingleInstance() override;

    // True when no other Rivamo runs for the folder: the lock is now held and the socket listens.
    // A folder where no lock can be made (read-only) is not guarded.
    bool Claim();
    // Asks the Rivamo that holds the folder to bring its window forward; true when it was told.
    bool AskRunningToComeForward() const;
    // Runs (on the user-interface thread) when a later start asks this one to come forward.
    void SetComeForwardHandler(std::function<void()> handler) { m_comeForward = std::move(handler); }

    // The local socket's name for a folder: in the user's runtime folder, named by the folder's hash.
    static QString ServerName(const std::string& dataFolder);

private:
    void Listen();
    void ServeConnection();

    const std::string m_dataFolder;
    FileDescriptor m_lock;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_comeForward;
};
