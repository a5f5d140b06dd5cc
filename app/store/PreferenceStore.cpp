#include "store/PreferenceStore.h"

#include "store/Models.h"
#include "support/ConfigHome.h"
#include "support/Console.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <array>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array kinds = {PreferenceStore::Kind::Data, PreferenceStore::Kind::Integers,
                              PreferenceStore::Kind::Boolean};

QString suffix(PreferenceStore::Kind kind) {
    switch (kind) {
    case PreferenceStore::Kind::Data:
        return QStringLiteral(".data");
    case PreferenceStore::Kind::Integers:
        return QStringLiteral(".ints");
    case PreferenceStore::Kind::Boolean:
        return QStringLiteral(".bool");
    }
    return {};
}

// Makes the rename that put a file in place survive a power loss, not only a crash.
void syncDirectory(const QString& dir) {
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

PreferenceStore::PreferenceStore(QString directory)
    : dir(std::move(directory)) {}

PreferenceStore PreferenceStore::standard() {
    return PreferenceStore(configHome() + QStringLiteral("/Quenby"));
}

QString PreferenceStore::filePath(const QString& key, Kind kind) const {
    return dir + u'/' + key + suffix(kind);
}

std::optional<QByteArray> PreferenceStore::read(const QString& key, Kind kind) const {
    QFile file(filePath(key, kind));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // Spare room after the bytes lets a JSON parser read them in place, without a copy.
    constexpr qsizetype spare = 64;
    QByteArray bytes(file.size() + spare, Qt::Uninitialized);
    const qint64 got = file.read(bytes.data(), file.size());
    if (got < 0) {
        return std::nullopt;
    }
    bytes.truncate(got);
    return bytes;
}

bool PreferenceStore::write(const QString& key, Kind kind, const QByteArray& bytes) const {
    const QString path = filePath(key, kind);
    if (!QDir().mkpath(dir)) {
        Console::printLine("PreferenceStore: cannot create", dir, "- value of", key, "not saved");
        return false;
    }
    QSaveFile file(path);
    // QSaveFile fsyncs the temporary file before renaming it into place.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        Console::printLine("PreferenceStore: cannot write", path, "-", file.errorString());
        return false;
    }
    syncDirectory(dir);
    // The key now has this kind only; the new value is in place before the old goes.
    for (const Kind other : kinds) {
        if (other != kind) {
            QFile::remove(filePath(key, other));
        }
    }
    return true;
}

std::optional<QByteArray> PreferenceStore::data(const QString& key) const {
    return read(key, Kind::Data);
}

std::optional<std::vector<std::int64_t>> PreferenceStore::integers(const QString& key) const {
    const auto bytes = read(key, Kind::Integers);
    if (!bytes) {
        return std::nullopt;
    }
    return Json::decodeIntegers(*bytes);
}

std::optional<bool> PreferenceStore::boolean(const QString& key) const {
    const auto bytes = read(key, Kind::Boolean);
    if (!bytes) {
        return std::nullopt;
    }
    const QByteArray text = bytes->trimmed();
    if (text == "true") {
        return true;
    }
    if (text == "false") {
        return false;
    }
    return std::nullopt;
}

bool PreferenceStore::setData(const QString& key, const QByteArray& bytes) const {
    return write(key, Kind::Data, bytes);
}

bool PreferenceStore::setIntegers(const QString& key,
                                  const std::vector<std::int64_t>& values) const {
    return write(key, Kind::Integers, Json::encodeIntegers(values));
}

bool PreferenceStore::setBool(const QString& key, bool value) const {
    return write(key, Kind::Boolean,
                 value ? QByteArrayLiteral("true") : QByteArrayLiteral("false"));
}
