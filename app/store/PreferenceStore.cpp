#include "store/PreferenceStore.h"

#include "store/Models.h"
#include "support/ConfigHome.h"
#include "support/Console.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

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
    : dir_(std::move(directory)) {}

PreferenceStore PreferenceStore::standard() {
    return PreferenceStore(configHome() + QStringLiteral("/Quenby"));
}

QString PreferenceStore::filePath(const QString& key, Kind kind) const {
    return dir_ + u'/' + key + suffix(kind);
}

StoreFiles::ReadResult PreferenceStore::load(const QString& key, Kind kind) const {
    return StoreFiles::read(filePath(key, kind));
}

std::optional<QByteArray> PreferenceStore::read(const QString& key, Kind kind) const {
    auto stored = load(key, kind);
    if (stored.state == StoreFiles::ReadResult::State::Unreadable) {
        Console::printLine("PreferenceStore: cannot read", filePath(key, kind), "-", stored.error);
    }
    if (stored.state != StoreFiles::ReadResult::State::Read) {
        return std::nullopt;
    }
    return std::move(stored.bytes);
}

Saved PreferenceStore::write(const QString& key, Kind kind, const QByteArray& bytes) const {
    const QString path = filePath(key, kind);
    if (!QDir().mkpath(dir_)) {
        Console::printLine("PreferenceStore: cannot create", dir_, "- value of", key, "not saved");
        return {QStringLiteral("cannot create ") + dir_};
    }
    if (auto error = StoreFiles::replace(path, bytes)) {
        Console::printLine("PreferenceStore: cannot write", path, "-", *error, "- value of", key,
                           "not saved; the stored one stays");
        return {std::move(error)};
    }
    // The key now has this kind only; the new value is in place before the old goes.
    for (const Kind other : kinds) {
        if (other != kind) {
            QFile::remove(filePath(key, other));
        }
    }
    return {};
}

std::optional<QByteArray> PreferenceStore::data(const QString& key) const {
    return read(key, Kind::Data);
}

std::optional<std::vector<std::int64_t>> PreferenceStore::integers(const QString& key) const {
    const auto bytes = read(key, Kind::Integers);
    if (!bytes) {
        return std::nullopt;
    }
    auto values = Json::decodeIntegers(*bytes);
    if (!values) {
        Console::printLine("PreferenceStore:", filePath(key, Kind::Integers),
                           "holds no list of integers; it reads as missing");
    }
    return values;
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
    Console::printLine("PreferenceStore:", filePath(key, Kind::Boolean),
                       "holds neither true nor false; it reads as missing");
    return std::nullopt;
}

Saved PreferenceStore::setData(const QString& key, const QByteArray& bytes) const {
    return write(key, Kind::Data, bytes);
}

Saved PreferenceStore::setIntegers(const QString& key,
                                   const std::vector<std::int64_t>& values) const {
    return write(key, Kind::Integers, Json::encodeIntegers(values));
}

Saved PreferenceStore::setBool(const QString& key, bool value) const {
    return write(key, Kind::Boolean,
                 value ? QByteArrayLiteral("true") : QByteArrayLiteral("false"));
}

StoreFiles::MoveResult PreferenceStore::keepAside(const QString& key, Kind kind) const {
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    return StoreFiles::moveAside(filePath(key, kind),
                                 dir_ + u'/' + key + QStringLiteral(".unreadable-") + stamp,
                                 suffix(kind));
}

void PreferenceStore::removeLeftovers() const {
    StoreFiles::removeLeftovers(dir_);
}
