#include "wizard/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

CSingleInstance::CSingleInstance(const QString& key) : key_(key) {}

CSingleInstance::~CSingleInstance()
{
    if (server_)
        server_->close();
}

QString CSingleInstance::DefaultKey()
{
    // Per user: two people on one machine each get their own wizard.
    return QStringLiteral("PWCNV-%1").arg(getuid());
}

bool CSingleInstance::Claim(std::function<void()> onProbe)
{
    lock_ = std::make_unique<QLockFile>(QDir::temp().filePath(key_ + QStringLiteral(".lock")));
    // A lock left by a copy that died is taken over (its process is gone);
    // a live copy's lock is never considered stale by age.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0))
        return false;

    onProbe_ = std::move(onProbe);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(key_); // a socket file left by a crashed copy
    server_->listen(key_);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                const QByteArray probe = socket->readAll().trimmed();
                if (probe != kInstanceProbe)
                    return;
                socket->write(kInstanceProbe);
                socket->flush();
                if (onProbe_)
                    onProbe_();
            });
        }
    });
    return true;
}

bool CSingleInstance::ProbeRunningCopy()
{
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(kProbeTimeoutMs))
        return false;
    socket.write(kInstanceProbe);
    socket.write("\n");
    if (!socket.waitForBytesWritten(kProbeTimeoutMs) || !socket.waitForReadyRead(kProbeTimeoutMs))
        return false;
    return socket.readAll().trimmed() == kInstanceProbe;
}
