#include "platform/SingleInstance.h"

#include "support/Console.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray activateRequest = QByteArrayLiteral("activate\n");
// A first process may hold the lock but not listen yet; a later launch waits this long.
constexpr std::chrono::milliseconds connectPatience{2000};
// The panel answers once the action has run.
constexpr int replyPatienceMs = 10000;
// Requests and answers are single lines; a longer one is cut here.
constexpr qint64 longestRequest = 64 * 1024;

// Where the lock lives: a folder that only this user can write, so that nobody else can
// take, replace or jam it.
QString instanceFolder(const QString& storeDirectory) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() || QDir::isRelativePath(runtime) ? storeDirectory : runtime;
}

bool isOwnFolder(const struct stat& st) {
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & S_IWOTH) == 0;
}

} // namespace

SingleInstance::SingleInstance(QString storeDirectory, QObject* parent)
    : QObject(parent)
    , storeDirectory_(std::move(storeDirectory)) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::fail(const QString& why) {
    failure_ = why;
    return Claim::Failed;
}

SingleInstance::Claim SingleInstance::claim() {
    // The store folder names the lock, so it must exist first.
    struct stat store {};
    if (!QDir().mkpath(storeDirectory_) ||
        ::stat(QFile::encodeName(storeDirectory_).constData(), &store) != 0) {
        return fail(QStringLiteral("cannot create the store folder ") + storeDirectory_);
    }
    const QString folder = instanceFolder(storeDirectory_);
    struct stat where {};
    if (::stat(QFile::encodeName(folder).constData(), &where) != 0 || !isOwnFolder(where)) {
        return fail(folder + QStringLiteral(" is not a folder that only this user can write"));
    }
    const QString base =
        folder + QStringLiteral("/quenby-%1-%2").arg(store.st_dev).arg(store.st_ino);
    lockPath_ = base + QStringLiteral(".lock");
    socketPath_ = base + QStringLiteral(".socket");

    // Read access is enough for the lock, so an existing lock file works in a read-only
    // folder. Neither a symlink nor a FIFO put in its place can redirect or stall the open.
    lock_.reset(::open(QFile::encodeName(lockPath_).constData(),
                       O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
    struct stat st {};
    if (!lock_ || ::fstat(lock_.get(), &st) != 0) {
        return fail(QStringLiteral("cannot open ") + lockPath_ + QStringLiteral(": ") +
                    qt_error_string(errno));
    }
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        lock_.reset();
        return fail(lockPath_ + QStringLiteral(" is not a file of this user's"));
    }
    if (::flock(lock_.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        lock_.reset();
        if (error == EWOULDBLOCK) {
            return Claim::AlreadyRunning;
        }
        return fail(QStringLiteral("cannot lock ") + lockPath_ + QStringLiteral(": ") +
                    qt_error_string(error));
    }
    listen();
    return Claim::First;
}

void SingleInstance::listen() {
    // With the lock held, a socket left by a crashed run is ours to remove.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::readRequest);
    if (!server_->listen(socketPath_)) {
        Console::printLine("SingleInstance: cannot listen on", socketPath_, "-",
                           server_->errorString());
    }
}

void SingleInstance::readRequest() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine() && socket->bytesAvailable() < longestRequest) {
                return; // the rest of the line is on its way
            }
            const QByteArray line = socket->readLine(longestRequest);
            if (line == activateRequest) {
                emit activationRequested();
            } else if (const auto request = ActionRequest::decoded(line);
                       request && actionHandler_) {
                socket->write(actionHandler_(*request).encoded());
            }
            // Leaves once the answer is written.
            socket->disconnectFromServer();
        });
    }
}

void SingleInstance::release() {
    server_.reset();
    lock_.reset();
}

std::unique_ptr<QLocalSocket>
SingleInstance::connectToRunning(std::chrono::milliseconds patience) const {
    if (socketPath_.isEmpty()) {
        return nullptr;
    }
    QElapsedTimer waited;
    waited.start();
    do {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(socketPath_);
        if (socket->waitForConnected(500)) {
            return socket;
        }
        QThread::msleep(50);
    } while (waited.elapsed() < patience.count());
    return nullptr;
}

bool SingleInstance::notifyRunning() const {
    const std::unique_ptr<QLocalSocket> socket = connectToRunning(connectPatience);
    if (!socket) {
        return false;
    }
    socket->write(activateRequest);
    const bool sent = socket->waitForBytesWritten(1000);
    socket->waitForDisconnected(1000);
    return sent;
}

std::optional<ActionReply> SingleInstance::sendAction(const ActionRequest& request,
                                                      std::chrono::milliseconds patience) const {
    const std::unique_ptr<QLocalSocket> socket = connectToRunning(patience);
    if (!socket) {
        return std::nullopt;
    }
    socket->write(request.encoded());
    if (!socket->waitForBytesWritten(1000)) {
        return std::nullopt;
    }
    while (!socket->canReadLine() && socket->waitForReadyRead(replyPatienceMs)) {
    }
    return ActionReply::decoded(socket->readLine(longestRequest));
}
