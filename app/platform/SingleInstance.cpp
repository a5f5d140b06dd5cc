#include "platform/SingleInstance.h"

#include "support/Console.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <optional>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const QByteArray activateRequest = QByteArrayLiteral("activate\n");
// A request that has not arrived whole by then is dropped.
constexpr std::chrono::seconds requestDeadline{10};
// However long the panel lives, a client stops waiting after this.
constexpr std::chrono::minutes replyCap{5};
// A socket recorded but refusing connections has gone or lives where this process cannot
// reach it (another mount namespace); no need to wait long for it.
constexpr std::chrono::milliseconds recordedButUnreachable{1500};
// How many answers the panel keeps for requests that may be sent again.
constexpr std::size_t rememberedAnswers = 1024;
// How many turns of the event loop a batch waits at most for connections still arriving.
constexpr int maxGatherRounds = 64;
// A retried request goes out at most this often.
constexpr int attempts = 3;

bool isAlive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// The process on the other end of a connected local socket.
std::optional<struct ucred> peerOf(const QLocalSocket& socket) {
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                     &size) != 0) {
        return std::nullopt;
    }
    return peer;
}

bool isOwnPeer(const QLocalSocket& socket) {
    const auto peer = peerOf(socket);
    return peer && peer->uid == ::geteuid();
}

bool isOwnSocket(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
           st.st_uid == ::geteuid() && isOwnFolder(QFileInfo(path).absolutePath());
}

bool fitsSocketAddress(const QString& path) {
    return static_cast<std::size_t>(QFile::encodeName(path).size()) < sizeof(sockaddr_un::sun_path);
}

} // namespace

SingleInstance::SingleInstance(QString storeDirectory, QObject* parent)
    : QObject(parent)
    , lock_(std::move(storeDirectory)) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim() {
    switch (lock_.take()) {
    case InstanceLock::State::Held:
        return lock_.record({::getpid(), {}}) ? Claim::First : Claim::Failed;
    case InstanceLock::State::Taken:
        return Claim::AlreadyRunning;
    case InstanceLock::State::Failed:
        break;
    }
    return Claim::Failed;
}

// Beside the lock; in the runtime folder when the store's path is too long for a socket.
QString SingleInstance::socketPathFor() const {
    const QString beside = lock_.storeDirectory() + QStringLiteral("/quenby-instance.socket");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (fitsSocketAddress(beside) || runtime.isEmpty() || !isOwnFolder(runtime)) {
        return beside;
    }
    struct stat store {};
    ::stat(QFile::encodeName(lock_.storeDirectory()).constData(), &store);
    return runtime + QStringLiteral("/quenby-%1-%2.socket").arg(store.st_dev).arg(store.st_ino);
}

void SingleInstance::listen() {
    const QString path = socketPathFor();
    // With the lock held, a socket left by a crashed run is ours to remove.
    QLocalServer::removeServer(path);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Many launches at once (a script's loop) all wait in the queue.
    server_->setListenBacklogSize(1024);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::accept);
    if (!server_->listen(path)) {
        Console::printLine("SingleInstance: cannot listen on", path, "-", server_->errorString());
        return;
    }
    if (!lock_.record({::getpid(), path})) {
        Console::printLine("SingleInstance:", lock_.failure());
    }
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!isOwnPeer(*socket)) {
            Console::printLine("SingleInstance: refused a connection from another user");
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        QTimer::singleShot(requestDeadline, socket, [socket] {
            if (!socket->property("read").toBool()) {
                socket->abort();
            }
        });
    }
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    if (socket->property("read").toBool()) {
        return;
    }
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > ActionRequest::longestLine) {
            socket->write(ActionReply{false, QStringLiteral("The request is too long")}.encoded());
            socket->disconnectFromServer();
        }
        return; // the rest of the line is on its way
    }
    socket->setProperty("read", true);
    const QByteArray line = socket->readLine();
    if (line == activateRequest) {
        emit activationRequested();
        socket->disconnectFromServer();
    } else if (const auto request = ActionRequest::decoded(line)) {
        enqueue(socket, *request);
    } else {
        socket->disconnectFromServer();
    }
}

// Requests that arrive while others are handled wait, and are then handled together.
void SingleInstance::enqueue(QLocalSocket* socket, const ActionRequest& request) {
    const auto answered =
        std::find_if(answered_.begin(), answered_.end(),
                     [&request](const auto& entry) { return entry.first == request.id; });
    if (!request.id.isEmpty() && answered != answered_.end()) {
        socket->write(answered->second.encoded());
        socket->disconnectFromServer();
        return;
    }
    // A request sent again while the first is still being handled waits for the same answer.
    for (std::vector<Waiting>* queue : {&waiting_, &pending_}) {
        const auto same = std::find_if(queue->begin(), queue->end(), [&request](const auto& w) {
            return !request.id.isEmpty() && w.request.id == request.id;
        });
        if (same != queue->end()) {
            same->sockets.emplace_back(socket);
            return;
        }
    }
    if (waiting_.empty()) {
        QTimer::singleShot(0, this, &SingleInstance::answerWaiting);
    }
    waiting_.push_back({request, {socket}});
}

void SingleInstance::answerWaiting() {
    // What has arrived meanwhile joins this batch: under load, one write then stores many.
    // Connections still to be accepted are left to the event loop a few rounds more.
    if (!server_) {
        return; // released: the waiting connections went with the server
    }
    for (QLocalSocket* socket : server_->findChildren<QLocalSocket*>()) {
        if (!socket->property("read").toBool() && socket->waitForReadyRead(0)) {
            readRequest(socket);
        }
    }
    pollfd listening{static_cast<int>(server_->socketDescriptor()), POLLIN, 0};
    if (::poll(&listening, 1, 0) > 0 && ++gatherRounds_ < maxGatherRounds) {
        QTimer::singleShot(0, this, &SingleInstance::answerWaiting);
        return;
    }
    gatherRounds_ = 0;
    const std::vector<Waiting> batch = std::exchange(waiting_, {});
    std::vector<ActionRequest> requests;
    for (const Waiting& w : batch) {
        requests.push_back(w.request);
    }
    std::vector<ActionReply> replies =
        actionHandler_ ? actionHandler_(requests) : std::vector<ActionReply>{};
    replies.resize(batch.size(), ActionReply{false, QStringLiteral("Quenby is not ready")});
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (replies[i].pending && !batch[i].request.id.isEmpty()) {
            pending_.push_back(batch[i]);
        } else {
            answer(batch[i], replies[i]);
        }
    }
}

void SingleInstance::answerLater(const QByteArray& id, const ActionReply& reply) {
    const auto waiting = std::find_if(pending_.begin(), pending_.end(),
                                      [&id](const Waiting& w) { return w.request.id == id; });
    if (waiting != pending_.end()) {
        const Waiting answered = *waiting;
        pending_.erase(waiting);
        answer(answered, reply);
    }
}

void SingleInstance::answer(const Waiting& waiting, const ActionReply& reply) {
    remember(waiting.request.id, reply);
    for (const QPointer<QLocalSocket>& socket : waiting.sockets) {
        if (socket) {
            socket->write(reply.encoded());
            // Leaves once the answer is written.
            socket->disconnectFromServer();
        }
    }
}

void SingleInstance::remember(const QByteArray& id, const ActionReply& reply) {
    if (id.isEmpty()) {
        return;
    }
    answered_.emplace_back(id, reply);
    if (answered_.size() > rememberedAnswers) {
        answered_.pop_front();
    }
}

void SingleInstance::release() {
    server_.reset();
    lock_.release();
}

QString SingleInstance::unreachable() const {
    const pid_t pid = lock_.recorded().pid;
    return QStringLiteral(
               "Quenby is already running for this store (process %1) in another session")
        .arg(pid > 0 ? QString::number(pid) : QStringLiteral("unknown"));
}

std::variant<std::unique_ptr<QLocalSocket>, QString>
SingleInstance::connectToRunning(std::chrono::milliseconds patience) const {
    QElapsedTimer waited;
    waited.start();
    QElapsedTimer recordedFor;
    while (waited.elapsed() < patience.count()) {
        const InstanceLock::Record record = lock_.recorded();
        if (!lock_.isHeldByAnyone()) {
            return QStringLiteral("Quenby ended before it answered");
        }
        if (!record.socketPath.isEmpty() && isAlive(record.pid)) {
            if (!recordedFor.isValid()) {
                recordedFor.start();
            }
            if (QFileInfo::exists(record.socketPath) && !isOwnSocket(record.socketPath)) {
                return record.socketPath + QStringLiteral(" is not a socket of this user's");
            }
            auto socket = std::make_unique<QLocalSocket>();
            socket->connectToServer(record.socketPath);
            if (socket->waitForConnected(1000)) {
                if (!isOwnPeer(*socket)) {
                    return record.socketPath + QStringLiteral(" is answered by another user");
                }
                return socket;
            }
            if (recordedFor.elapsed() > recordedButUnreachable.count()) {
                break;
            }
        }
        QThread::msleep(20);
    }
    return unreachable();
}

bool SingleInstance::notifyRunning() const {
    auto connection = connectToRunning(std::chrono::seconds(10));
    auto* socket = std::get_if<std::unique_ptr<QLocalSocket>>(&connection);
    if (!socket) {
        return false;
    }
    (*socket)->write(activateRequest);
    const bool sent = (*socket)->waitForBytesWritten(1000);
    (*socket)->waitForDisconnected(1000);
    return sent;
}

SingleInstance::Delivery SingleInstance::sendAction(ActionRequest request,
                                                    std::chrono::milliseconds patience) const {
    if (request.id.isEmpty()) {
        request.id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    }
    const QByteArray line = request.encoded();
    if (line.size() > ActionRequest::longestLine) {
        return QStringLiteral("Not handed over: the request takes %1 bytes, more than the %2 "
                              "Quenby takes")
            .arg(line.size())
            .arg(ActionRequest::longestLine);
    }
    QElapsedTimer waited;
    waited.start();
    // A connection lost before the answer came is tried again: the id keeps the panel from
    // applying the request twice.
    for (int attempt = 0; attempt < attempts; ++attempt) {
        auto connection = connectToRunning(patience);
        if (auto* why = std::get_if<QString>(&connection)) {
            return *why;
        }
        QLocalSocket& socket = *std::get<std::unique_ptr<QLocalSocket>>(connection);
        const pid_t peer = peerOf(socket)->pid;
        socket.write(line);
        // Waits while the panel lives and has the request, not for a fixed time: a long
        // list takes a while to store.
        while (!socket.canReadLine() && isAlive(peer) && waited.elapsed() < replyCap / 1ms) {
            if (!socket.waitForReadyRead(250) && socket.state() != QLocalSocket::ConnectedState) {
                break;
            }
        }
        if (socket.canReadLine()) {
            if (const auto reply = ActionReply::decoded(socket.readLine())) {
                return *reply;
            }
            return QStringLiteral("Quenby gave an answer that cannot be read");
        }
        if (waited.elapsed() >= replyCap / 1ms) {
            break;
        }
    }
    return QStringLiteral("Quenby did not answer");
}
