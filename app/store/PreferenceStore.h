#pragma once

#include "store/Saved.h"
#include "store/StoreFiles.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The per-user store of named values. One file per key in the store folder, named
// after the key and the kind of its value: "<key>.data" (raw bytes), "<key>.ints"
// (a JSON array of integers), "<key>.bool" (true or false). Every write replaces
// its file atomically and durably before returning; nothing is cached.
class PreferenceStore {
public:
    enum class Kind { Data, Integers, Boolean };

    explicit PreferenceStore(QString directory);

    // $XDG_CONFIG_HOME/Quenby, or ~/.config/Quenby, read afresh on every call.
    static PreferenceStore standard();

    const QString& directory() const { return dir_; }
    QString filePath(const QString& key, Kind kind) const;

    // The file of a key and kind as it is: missing, read whole, or there but unreadable.
    StoreFiles::ReadResult load(const QString& key, Kind kind) const;
    // Whether anything is stored for the key and kind, readable or not.
    bool contains(const QString& key, Kind kind) const {
        return load(key, kind).state != StoreFiles::ReadResult::State::Missing;
    }

    // A missing value, one stored with another kind, and one that cannot be read or is not
    // of its kind all read as nullopt; the last two print why.
    std::optional<QByteArray> data(const QString& key) const;
    std::optional<std::vector<std::int64_t>> integers(const QString& key) const;
    std::optional<bool> boolean(const QString& key) const;
    bool boolForKey(const QString& key) const { return boolean(key).value_or(false); }

    // False when the value could not be stored: the previous value then stays, byte for
    // byte, and a line and the answer say why.
    [[nodiscard]] Saved setData(const QString& key, const QByteArray& bytes) const;
    [[nodiscard]] Saved setIntegers(const QString& key,
                                    const std::vector<std::int64_t>& values) const;
    [[nodiscard]] Saved setBool(const QString& key, bool value) const;

    // Moves the file of a value that cannot be read out of the way, whole and without
    // reading it, to "<key>.unreadable-<UTC time>" with its kind's ending, durably.
    StoreFiles::MoveResult keepAside(const QString& key, Kind kind) const;

    // Clears what writes cut short left behind; for the one process that holds the store.
    void removeLeftovers() const;

private:
    std::optional<QByteArray> read(const QString& key, Kind kind) const;
    Saved write(const QString& key, Kind kind, const QByteArray& bytes) const;

    QString dir_;
};
