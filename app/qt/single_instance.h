#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

namespace wobbet {

// One running copy per user and knowledge file. The first copy holds a lock file and listens on
// a local socket beside it; a later copy finds the lock taken, asks the first one over the socket
// to show its window, and ends. A copy that was killed leaves a lock that the next start
// recognises as stale.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // directory: a place private to the user, such as $XDG_RUNTIME_DIR. knowledgeFile: the
    // knowledge file's path without links, so that every path to one file meets one copy.
    SingleInstance(const QString& directory, const QString& knowledgeFile);

    // True when no other copy runs: this copy then holds the lock until it ends and listens for
    // later copies. A lock that cannot be made at all (no permission, no usable directory) is
    // no sign of another copy: then this copy runs alone, without the lock.
    bool Claim();

    // Tells the running copy to bring its window forward. False when it did not take the request
    // within the time limit, as when it is just starting or just ending.
    bool ActivateRunningCopy(int timeoutMilliseconds);

    QString SocketPath() const { return socketPath_; }

signals:
    void ActivationRequested();

private:
    void AcceptConnections();

    QLockFile lock_;
    QString socketPath_;
    QLocalServer server_;
};

}  // namespace wobbet
