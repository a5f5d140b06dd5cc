#include "PreferenceStore.h"

#include "Console.h"
#include "Models.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <array>

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

} // namespace

PreferenceStore::PreferenceStore(QString directory)
    : dir(std::move(directory)) {}

PreferenceStore PreferenceStore::standard() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid and must be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return PreferenceStore(base + QStringLiteral("/Quenby"));
}

QString PreferenceStore::filePath(const QString& key, Kind kind) const {
    return dir + u'/' + key + suffix(kind);
}

std::optional<QByteArray> PreferenceStore::read(const QString& key, Kind kind) const {
    QFile file(filePath(key, kind));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
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
