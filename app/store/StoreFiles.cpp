#include "store/StoreFiles.h"

#include "support/UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace StoreFiles {

namespace {

// The temporary file of a write in progress: "<file name>.saving-XXXXXX".
const QString savingMark = QStringLiteral(".saving-");

QString lastError() {
    return qt_error_string(errno);
}

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

ReadResult unreadable(const QString& why) {
    return {ReadResult::State::Unreadable, {}, why};
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Makes a rename in the folder survive a power loss, not only a crash.
void syncFolder(const QString& folder) {
    const UniqueFd fd(::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        ::fsync(fd.get());
    }
}

} // namespace

ReadResult read(const QString& path) {
    const UniqueFd fd(
        ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return {};
        }
        return unreadable(lastError());
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return unreadable(lastError());
    }
    if (!S_ISREG(st.st_mode)) {
        return unreadable(QStringLiteral("not a regular file"));
    }
    constexpr qsizetype spare = 64;
    // One byte more than the size, so the read that finds the end has room to be made.
    QByteArray bytes(static_cast<qsizetype>(st.st_size) + 1 + spare, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size() - spare) {
            // The file grew while it was read.
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t n =
            ::read(fd.get(), bytes.data() + got, static_cast<size_t>(bytes.size() - spare - got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return unreadable(lastError());
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    bytes.truncate(got);
    return {ReadResult::State::Read, std::move(bytes), {}};
}

std::optional<QString> replace(const QString& path, const QByteArray& bytes) {
    QByteArray temp = nativePath(path + savingMark + QStringLiteral("XXXXXX"));
    UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd) {
        return lastError();
    }
    // Every byte written, synced and the file closed without error, or nothing is renamed.
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.close() ||
        ::rename(temp.constData(), nativePath(path).constData()) != 0) {
        const QString why = lastError();
        ::unlink(temp.constData());
        return why;
    }
    syncFolder(QFileInfo(path).absolutePath());
    return std::nullopt;
}

MoveResult moveAside(const QString& path, const QString& stem, const QString& suffix) {
    const QByteArray from = nativePath(path);
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return {MoveResult::State::NothingThere, {}};
        }
        return {MoveResult::State::Failed, lastError()};
    }
    if (S_ISREG(st.st_mode)) {
        // Its bytes on disk before the name that keeps them is; a file this process cannot
        // open was written and synced by someone else.
        const UniqueFd fd(::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd) {
            ::fsync(fd.get());
        }
    }
    QString to = stem + suffix;
    for (int n = 1; ::lstat(nativePath(to).constData(), &st) == 0; ++n) {
        to = stem + u'-' + QString::number(n) + suffix;
    }
    if (::rename(from.constData(), nativePath(to).constData()) != 0) {
        return {MoveResult::State::Failed, lastError()};
    }
    syncFolder(QFileInfo(path).absolutePath());
    return {MoveResult::State::Moved, to};
}

void removeLeftovers(const QString& folder) {
    // A temporary file is named after its target, the mark and six random characters.
    // Matched by hand: a name filter would compile a regular expression at every start.
    constexpr qsizetype randomPart = 6;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const qsizetype markAt = name.size() - randomPart - savingMark.size();
        if (markAt >= 0 && QStringView(name).sliced(markAt, savingMark.size()) == savingMark) {
            QFile::remove(dir.filePath(name));
        }
    }
}

} // namespace StoreFiles
