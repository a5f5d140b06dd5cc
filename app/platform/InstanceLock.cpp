#include "platform/InstanceLock.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names the descriptor of a lock handed to a starting panel.
constexpr char inheritedVariable[] = "QUENBY_INSTANCE_LOCK_FD";
constexpr qsizetype longestRecord = 4096;

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool isOwnFolder(const QString& path) {
    struct stat st {};
    return ::stat(encoded(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

InstanceLock::InstanceLock(QString storeDirectory)
    : storeDirectory_(std::move(storeDirectory))
    , path_(storeDirectory_ + QStringLiteral("/quenby-instance.lock")) {}

InstanceLock::State InstanceLock::fail(const QString& why) {
    failure_ = why;
    fd_.reset();
    return State::Failed;
}

InstanceLock::State InstanceLock::take() {
    // A new store folder is private from the start.
    const QString parent = QFileInfo(storeDirectory_).absolutePath();
    if (!QDir().mkpath(parent) ||
        (::mkdir(encoded(storeDirectory_).constData(), 0700) != 0 && errno != EEXIST)) {
        return fail(QStringLiteral("cannot create the store folder ") + storeDirectory_);
    }
    if (!isOwnFolder(storeDirectory_)) {
        return fail(storeDirectory_ +
                    QStringLiteral(" is not a folder that only this user can write"));
    }
    if (adoptInherited()) {
        return State::Held;
    }
    // Neither a symlink nor a FIFO put in its place can redirect or stall the open. The lock
    // is held read-only: a file kept open for writing would pin the store's file system
    // writable, and read access is enough for a lock where the file cannot be written.
    fd_.reset(::open(encoded(path_).constData(),
                     O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
    struct stat st {};
    if (!fd_ || ::fstat(fd_.get(), &st) != 0) {
        return fail(QStringLiteral("cannot open ") + path_ + QStringLiteral(": ") +
                    qt_error_string(errno));
    }
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        return fail(path_ + QStringLiteral(" is not a file of this user's"));
    }
    if (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        fd_.reset();
        if (error == EWOULDBLOCK) {
            return State::Taken;
        }
        return fail(QStringLiteral("cannot lock ") + path_ + QStringLiteral(": ") +
                    qt_error_string(error));
    }
    return State::Held;
}

bool InstanceLock::adoptInherited() {
    const QByteArray inherited = qgetenv(inheritedVariable);
    qunsetenv(inheritedVariable);
    bool number = false;
    const int fd = inherited.toInt(&number);
    struct stat open {};
    struct stat named {};
    if (!number || fd < 0 || ::fstat(fd, &open) != 0 ||
        ::lstat(encoded(path_).constData(), &named) != 0 || !sameFile(open, named) ||
        named.st_uid != ::geteuid() || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    // Processes this one starts do not take it along.
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    fd_.reset(fd);
    return true;
}

bool InstanceLock::record(const Record& record) {
    const QByteArray line = QByteArray::number(record.pid) + ' ' +
                            encoded(record.socketPath).toPercentEncoding() + '\n';
    // Written through a second open of the locked file, closed at once; one small write, so
    // a reader sees the old record or the new one.
    const UniqueFd out(
        ::open(encoded(path_).constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat written {};
    struct stat locked {};
    if (!out || ::fstat(out.get(), &written) != 0 || ::fstat(fd_.get(), &locked) != 0 ||
        !sameFile(written, locked) || ::ftruncate(out.get(), 0) != 0 ||
        ::pwrite(out.get(), line.constData(), static_cast<size_t>(line.size()), 0) != line.size()) {
        failure_ = QStringLiteral("cannot record the running process in ") + path_ +
                   QStringLiteral(": ") + qt_error_string(errno);
        return false;
    }
    return true;
}

InstanceLock::Record InstanceLock::recorded() const {
    const UniqueFd fd(
        ::open(encoded(path_).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        return {};
    }
    QByteArray bytes(longestRecord, Qt::Uninitialized);
    const ssize_t got = ::pread(fd.get(), bytes.data(), static_cast<size_t>(bytes.size()), 0);
    bytes.truncate(got > 0 ? got : 0);
    const QList<QByteArray> parts = bytes.trimmed().split(' ');
    bool number = false;
    const pid_t pid = parts.constFirst().toInt(&number);
    if (!bytes.endsWith('\n') || parts.size() != 2 || !number || pid <= 0) {
        return {};
    }
    return {pid, QFile::decodeName(QByteArray::fromPercentEncoding(parts.at(1)))};
}

bool InstanceLock::isHeldByAnyone() const {
    if (fd_) {
        return true;
    }
    const UniqueFd probe(
        ::open(encoded(path_).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!probe) {
        return false;
    }
    if (::flock(probe.get(), LOCK_SH | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK;
    }
    ::flock(probe.get(), LOCK_UN);
    return false;
}

bool InstanceLock::handOverTo(const QString& program) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(inheritedVariable), QString::number(fd_.get()));
    QProcess process;
    process.setProgram(program);
    process.setProcessEnvironment(environment);
    // Off this process's output: a caller reading it to the end (`$(quenby …)`) would
    // otherwise wait for the panel to quit.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    ::fcntl(fd_.get(), F_SETFD, 0);
    const bool started = process.startDetached();
    // The started process shares the lock; this one's copy goes either way.
    fd_.reset();
    return started;
}
