#include "sync/SyncPassword.h"

#include "support/UniqueFd.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString notAFile = QStringLiteral("not a regular file");
// A password and its line end, with room to spare.
constexpr qsizetype maxFileSize = 4096;

SyncPassword::Lookup refused(const QString& path, const QString& why) {
    return {std::nullopt,
            QStringLiteral("password file ") + path + QStringLiteral(" refused: ") + why};
}

QString errorText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

namespace SyncPassword {

Lookup fromFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // Not even opened unless a regular file: opening a FIFO waits for a writer, a device
    // may act on being opened. A symbolic link counts as what it points to.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        return refused(path, errorText());
    }
    if (!S_ISREG(info.st_mode)) {
        return refused(path, notAFile);
    }
    // Non-blocking, and checked again once open: it may have been swapped in between.
    const UniqueFd fd(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd || ::fstat(fd.get(), &info) != 0) {
        return refused(path, errorText());
    }
    if (!S_ISREG(info.st_mode)) {
        return refused(path, notAFile);
    }
    if (info.st_uid != ::getuid()) {
        return refused(path, QStringLiteral("another user owns it"));
    }
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        return refused(path, QStringLiteral("others may read it (chmod 600 ") + path + u')');
    }
    if (info.st_size > maxFileSize) {
        return refused(path, QStringLiteral("it is larger than %1 bytes").arg(maxFileSize));
    }
    QByteArray bytes(maxFileSize, '\0');
    const ssize_t count = ::read(fd.get(), bytes.data(), static_cast<std::size_t>(maxFileSize));
    if (count < 0) {
        return refused(path, errorText());
    }
    const qsizetype end = bytes.indexOf('\n');
    QString password =
        QString::fromUtf8(QByteArrayView(bytes.constData(), end < 0 ? count : end)).remove(u'\r');
    std::fill(bytes.begin(), bytes.end(), '\0');
    if (password.isEmpty()) {
        return refused(path, QStringLiteral("it holds no password"));
    }
    return {std::move(password), {}};
}

void wipe(QString& secret) {
    std::fill(secret.begin(), secret.end(), QChar());
    secret.clear();
}

QString entryFor(const QString& user, const QUrl& server) {
    return user + u'@' + server.toString(QUrl::RemoveUserInfo | QUrl::StripTrailingSlash);
}

} // namespace SyncPassword
