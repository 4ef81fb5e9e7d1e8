#include "app/qt/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

namespace wobbet {
namespace {

constexpr char kActivateRequest[] = "activate\n";

// A name for the copy that keeps this knowledge file, short enough for a socket's path.
QString CopyName(const QString& knowledgeFile) {
    const QByteArray digest =
        QCryptographicHash::hash(knowledgeFile.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("wobbet-") + QString::fromLatin1(digest.left(8).toHex());
}

}  // namespace

SingleInstance::SingleInstance(const QString& directory, const QString& knowledgeFile)
    : lock_(QDir(directory).filePath(CopyName(knowledgeFile) + QStringLiteral(".lock"))),
      socketPath_(QDir(directory).filePath(CopyName(knowledgeFile) + QStringLiteral(".socket"))) {
    // The lock is held for the whole run, so it never grows stale by age; a dead owner is still
    // recognised from the process id written into it.
    lock_.setStaleLockTime(0);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnections);
}

bool SingleInstance::Claim() {
    if (!lock_.tryLock(0)) {
        return lock_.error() != QLockFile::LockFailedError;
    }
    // Only the lock holder gets here, so a socket file left by a killed copy is stale.
    QLocalServer::removeServer(socketPath_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    // Without the socket the program still runs; later copies then just end quietly.
    server_.listen(socketPath_);
    return true;
}

bool SingleInstance::ActivateRunningCopy(int timeoutMilliseconds) {
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            socket.write(kActivateRequest);
            const bool sent =
                socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
            socket.disconnectFromServer();
            return sent;
        }
        // The running copy may hold the lock but not listen yet.
        QThread::msleep(50);
    }
    return false;
}

void SingleInstance::AcceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == kActivateRequest) {
                emit ActivationRequested();
            }
        });
    }
}

}  // namespace wobbet
