#include "platform/SingleInstance.h"

#include "support/Console.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace {

const QByteArray activateRequest = QByteArrayLiteral("activate\n");
// A first process may hold the lock but not listen yet; a later launch waits this long.
constexpr int connectPatienceMs = 2000;

} // namespace

QString SingleInstance::keyFor(const QString& storeDirectory) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir::cleanPath(storeDirectory).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return QStringLiteral("quenby-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::SingleInstance(const QString& storeDirectory, QObject* parent)
    : QObject(parent)
    , key(keyFor(storeDirectory))
    , lock(QDir::temp().filePath(key + QStringLiteral(".lock"))) {
    // Held for the whole run: only a dead holder's lock counts as stale.
    lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    if (!lock.tryLock(0)) {
        return false;
    }
    // With the lock held, a socket left by a crashed run is ours to remove.
    QLocalServer::removeServer(key);
    server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server.get(), &QLocalServer::newConnection, this, &SingleInstance::readRequest);
    if (!server->listen(key)) {
        Console::printLine("SingleInstance: cannot listen on", key, "-", server->errorString());
    }
    return true;
}

void SingleInstance::readRequest() {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == activateRequest) {
                emit activationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::notifyRunning() const {
    QElapsedTimer waited;
    waited.start();
    do {
        QLocalSocket socket;
        socket.connectToServer(key);
        if (socket.waitForConnected(500)) {
            socket.write(activateRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.waitForDisconnected(1000);
            return sent;
        }
        QThread::msleep(50);
    } while (waited.elapsed() < connectPatienceMs);
    return false;
}
