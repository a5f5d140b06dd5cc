#pragma once

#include "support/UniqueFd.h"

#include <QString>

#include <sys/types.h>

// The lock that makes one process the holder of a store folder: a kernel lock on a file
// inside that folder, so every environment and every path to the folder meets the same
// lock. The file also records the holder's process id and the socket it listens on, for
// later launches from any environment to find it.
class InstanceLock {
public:
    enum class State { Held, Taken, Failed };
    struct Record {
        pid_t pid = 0;
        // Empty until the holder listens.
        QString socketPath;
    };

    explicit InstanceLock(QString storeDirectory);

    // Held: this process holds the store, taken from an earlier holder that handed it over
    // when there was one. Taken: another process holds it. Never waits.
    State take();
    const QString& failure() const { return failure_; }
    const QString& path() const { return path_; }
    const QString& storeDirectory() const { return storeDirectory_; }
    bool held() const { return static_cast<bool>(fd_); }

    // For the holder: says who holds the store and where it listens. False when the file
    // could not be written; `failure` then says so.
    bool record(const Record& record);
    // What the holder recorded; an empty record while it has recorded nothing yet.
    Record recorded() const;
    // Whether any process holds the lock now.
    bool isHeldByAnyone() const;

    // Starts `program` with this lock, which then stays taken for as long as that process
    // runs; this process lets go of it. False when the program could not be started.
    bool handOverTo(const QString& program);

    void release() { fd_.reset(); }

private:
    State fail(const QString& why);
    bool adoptInherited();

    QString storeDirectory_;
    QString path_;
    QString failure_;
    UniqueFd fd_;
};

// Whether the folder at `path` is one only this user can write: its own, and writable by
// neither its group nor others. Nobody else can then swap a file inside it.
bool isOwnFolder(const QString& path);
