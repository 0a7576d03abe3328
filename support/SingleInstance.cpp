#include "support/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

constexpr const char* LockFileName = "rivamo.lock";
constexpr const char* ServerPrefix = "rivamo-";
constexpr QByteArrayView ComeForwardRequest = "come forward\n";
constexpr int ConnectTimeoutMs = 1000;

QString LockPathOf(const std::string& dataFolder) {
    return QFile::decodeName(QByteArray::fromStdString(dataFolder)) + LockFileName;
}

} // namespace

SingleInstance::SingleInstance(const std::string& dataFolder)
    : m_dataFolder(dataFolder), m_lock(LockPathOf(dataFolder)) {
    // The lock is stale only when its process is gone, never by age: a Rivamo may run for days.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerName(const std::string& dataFolder) {
    // The runtime folder is the user's own (mode 0700), so no other user can take the name; the
    // hash keeps the socket's path short whatever the folder's length.
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(dataFolder), QCryptographicHash::Sha1).toHex();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + "/" + ServerPrefix + QString::fromLatin1(hash.left(16));
}

bool SingleInstance::Claim() {
    if (!m_lock.tryLock(0) && m_lock.error() == QLockFile::LockFailedError)
        return false;
    Listen();
    return true;
}

void SingleInstance::Listen() {
    const QString name = ServerName(m_dataFolder);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is held: a socket left by a Rivamo that crashed is stale.
    QLocalServer::removeServer(name);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::ServeConnection);
    m_server->listen(name);
}

void SingleInstance::ServeConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->readAll().contains(ComeForwardRequest.toByteArray()))
                return;
            // The later start waits for the disconnection: the window is forward before it speaks.
            if (m_comeForward)
                m_comeForward();
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::AskRunningToComeForward() const {
    QLocalSocket socket;
    socket.connectToServer(ServerName(m_dataFolder));
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    socket.write(ComeForwardRequest.data(), ComeForwardRequest.size());
    const bool written = socket.waitForBytesWritten(ConnectTimeoutMs);
    socket.waitForDisconnected(ConnectTimeoutMs);
    return written;
}
