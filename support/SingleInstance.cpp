#include "support/SingleInstance.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

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

constexpr mode_t LockFileMode = 0600;

// The lock file, opened without following a link and without waiting on a FIFO; none when the
// folder takes no file or the name holds something else.
FileDescriptor OpenLockFile(const std::string& dataFolder) {
    const std::string path = dataFolder + LockFileName;
    FileDescriptor fd(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, LockFileMode));
    struct stat status {};
    if (fd.IsOpen() && (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode)))
        fd.Reset();
    return fd;
}

} // namespace

SingleInstance::SingleInstance(const std::string& dataFolder) : m_dataFolder(dataFolder) {}

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
    m_lock = OpenLockFile(m_dataFolder);
    if (m_lock.IsOpen() && ::flock(m_lock.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
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
