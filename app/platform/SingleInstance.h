#pragma once

#include "platform/ActionRequest.h"
#include "support/UniqueFd.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// One running Quenby per store folder: two processes on one store would overwrite each
// other's lists. The first process holds a lock and listens on a local socket; a later
// launch finds the lock taken, asks the running process to come forward (or to run a panel
// action), and exits.
//
// Lock and socket belong to the store folder itself: they are named after its device and
// inode, so every path to the folder (a symlink, another spelling) finds them, and live in
// $XDG_RUNTIME_DIR when it is set, else in the store folder. Either folder must be the
// user's own; the lock is a kernel lock on an open file, released when the process ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim { First, AlreadyRunning, Failed };

    explicit SingleInstance(QString storeDirectory, QObject* parent = nullptr);
    ~SingleInstance() override;

    // First: this process holds the store and listens for later launches. AlreadyRunning:
    // a live process holds it. Failed: the lock could not be taken, `failure` says why.
    // Never waits on the lock.
    Claim claim();
    const QString& failure() const { return failure_; }

    // The lock's path (the socket's is beside it); set by `claim`.
    const QString& lockPath() const { return lockPath_; }

    // Asks the running process to bring its panel forward; false when it could not be reached.
    bool notifyRunning() const;

    // Lets go of the store, so that another process can claim it.
    void release();

    // Asks the running process to run `request`, waiting up to `patience` for it to listen;
    // nothing when it could not be reached or gave no answer.
    std::optional<ActionReply>
    sendAction(const ActionRequest& request,
               std::chrono::milliseconds patience = std::chrono::seconds(2)) const;

    // How this process answers the actions later launches ask for.
    using ActionHandler = std::function<ActionReply(const ActionRequest&)>;
    void setActionHandler(ActionHandler handler) { actionHandler_ = std::move(handler); }

signals:
    void activationRequested();

private:
    Claim fail(const QString& why);
    void listen();
    void readRequest();
    // A socket connected to the running process within `patience`, or none.
    std::unique_ptr<QLocalSocket> connectToRunning(std::chrono::milliseconds patience) const;

    QString storeDirectory_;
    QString lockPath_;
    QString socketPath_;
    QString failure_;
    UniqueFd lock_;
    std::unique_ptr<QLocalServer> server_;
    ActionHandler actionHandler_;
};
