#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

// One running Quenby per user and store: two processes on one store would overwrite each
// other's lists. The first process holds a lock file and listens on a local socket; a later
// launch finds the lock, asks the running process to come forward, and exits.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& storeDirectory, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket and lock name for a store: per user, per store folder.
    static QString keyFor(const QString& storeDirectory);

    // True when this process is the first: it then listens for later launches.
    bool claim();
    // Asks the running process to bring its panel forward; false when it could not be reached.
    bool notifyRunning() const;

signals:
    void activationRequested();

private:
    void readRequest();

    QString key;
    QLockFile lock;
    std::unique_ptr<QLocalServer> server;
};
