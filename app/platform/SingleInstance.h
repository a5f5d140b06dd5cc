#pragma once

#include "platform/ActionRequest.h"
#include "platform/InstanceLock.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <variant>
#include <vector>

// One running Quenby per store folder: two processes on one store would overwrite each
// other's lists. The first process holds the lock inside the store folder and listens on a
// local socket; a later launch finds the lock taken, reads from it where the running process
// listens, asks it to come forward (or to run a panel action), and exits.
//
// Both ends check that they talk to a process of the same user; the folders holding the
// lock and the socket must be writable by nobody else.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim { First, AlreadyRunning, Failed };

    explicit SingleInstance(QString storeDirectory, QObject* parent = nullptr);
    ~SingleInstance() override;

    // First: this process holds the store. AlreadyRunning: a live process holds it.
    // Failed: the lock could not be taken, `failure` says why. Never waits on the lock.
    Claim claim();
    const QString& failure() const { return lock_.failure(); }
    const QString& lockPath() const { return lock_.path(); }

    // For the holder that runs the panel: listens for later launches, recording where.
    void listen();

    // Starts `program`, which takes over the store this process holds. False when it could
    // not be started.
    bool handOverTo(const QString& program) { return lock_.handOverTo(program); }

    // Asks the running process to bring its panel forward; false when it could not be reached.
    bool notifyRunning() const;
    // The line a later launch prints when the running process cannot be reached.
    QString unreachable() const;

    // Lets go of the store, so that another process can claim it.
    void release();

    // The answer of the running process, or why there is none: a line to print.
    using Delivery = std::variant<ActionReply, QString>;
    // Asks the running process to run `request`, waiting up to `patience` for it to listen,
    // then for as long as it lives and works on the request.
    Delivery sendAction(ActionRequest request,
                        std::chrono::milliseconds patience = std::chrono::seconds(10)) const;

    // How this process answers the actions later launches ask for: those that arrived
    // together, in order, one answer each.
    using ActionHandler =
        std::function<std::vector<ActionReply>(const std::vector<ActionRequest>&)>;
    void setActionHandler(ActionHandler handler) { actionHandler_ = std::move(handler); }
    // The answer to a request the handler answered as pending.
    void answerLater(const QByteArray& id, const ActionReply& reply);

signals:
    void activationRequested();

private:
    struct Waiting {
        ActionRequest request;
        std::vector<QPointer<QLocalSocket>> sockets;
    };

    void accept();
    void readRequest(QLocalSocket* socket);
    void enqueue(QLocalSocket* socket, const ActionRequest& request);
    void answerWaiting();
    void answer(const Waiting& waiting, const ActionReply& reply);
    void remember(const QByteArray& id, const ActionReply& reply);
    QString socketPathFor() const;
    // A socket connected to the running process, or why there is none.
    std::variant<std::unique_ptr<QLocalSocket>, QString>
    connectToRunning(std::chrono::milliseconds patience) const;

    mutable InstanceLock lock_;
    std::unique_ptr<QLocalServer> server_;
    ActionHandler actionHandler_;
    std::vector<Waiting> waiting_;
    // Requests answered as pending, waiting for their answer.
    std::vector<Waiting> pending_;
    int gatherRounds_ = 0;
    // The latest answers by request id, so that a request sent again is not applied again.
    std::deque<std::pair<QByteArray, ActionReply>> answered_;
};
