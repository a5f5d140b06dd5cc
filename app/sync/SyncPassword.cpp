#include "sync/SyncPassword.h"

#include "support/UniqueFd.h"

#include <QEventLoop>
#include <QFile>

#include <qt6keychain/keychain.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString service = QStringLiteral("Quenby sync");

SyncPassword::Lookup refused(const QString& path, const QString& why) {
    return {std::nullopt,
            QStringLiteral("password file ") + path + QStringLiteral(" refused: ") + why};
}

QString errorText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Starts `job` and waits for its end; the failure, or nothing.
QString finished(QKeychain::Job& job) {
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error() == QKeychain::NoError ? QString() : job.errorString();
}

} // namespace

namespace SyncPassword {

Lookup fromFile(const QString& path) {
    const UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0) {
        return refused(path, errorText());
    }
    if (info.st_uid != ::getuid()) {
        return refused(path, QStringLiteral("another user owns it"));
    }
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        return refused(path, QStringLiteral("others may read it (chmod 600 ") + path + u')');
    }
    QFile file;
    if (!file.open(fd.get(), QIODevice::ReadOnly)) {
        return refused(path, file.errorString());
    }
    const QString password = QString::fromUtf8(file.readLine()).remove(u'\n').remove(u'\r');
    if (password.isEmpty()) {
        return refused(path, QStringLiteral("it holds no password"));
    }
    return {password, {}};
}

QString entryFor(const QString& user, const QUrl& server) {
    return user + u'@' + server.toString(QUrl::RemoveUserInfo | QUrl::StripTrailingSlash);
}

void read(const QString& entry, const QObject* context, std::function<void(Lookup)> done) {
    auto* job = new QKeychain::ReadPasswordJob(service);
    job->setKey(entry);
    QObject::connect(job, &QKeychain::Job::finished, context, [job, done = std::move(done)] {
        if (job->error() == QKeychain::NoError) {
            done({job->textData(), {}});
        } else {
            done({std::nullopt, QStringLiteral("secret store: ") + job->errorString()});
        }
    });
    job->start();
}

QString store(const QString& entry, const QString& password) {
    QKeychain::WritePasswordJob job(service);
    job.setKey(entry);
    job.setTextData(password);
    return finished(job);
}

QString forget(const QString& entry) {
    QKeychain::DeletePasswordJob job(service);
    job.setKey(entry);
    const QString failure = finished(job);
    return job.error() == QKeychain::EntryNotFound ? QString() : failure;
}

} // namespace SyncPassword
