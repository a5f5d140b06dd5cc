#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The store's file operations, made at the level of the system calls so that every failure
// is seen: reading that never blocks, replacing that never leaves a partial file, moving an
// unreadable file aside whole, and clearing what an interrupted write left behind.
namespace StoreFiles {

struct ReadResult {
    enum class State { Missing, Read, Unreadable };
    State state = State::Missing;
    // Read: the whole file, with spare room after it for a parser that reads in place.
    QByteArray bytes;
    // Unreadable: why.
    QString error;
};

// Reads a whole regular file. Only a file that does not exist is missing; one that is there
// but cannot be read whole (no permission, not a regular file, a read error) is unreadable.
// Never blocks: a FIFO or a device in the file's place is refused, not read.
ReadResult read(const QString& path);

// Puts `bytes` in place of the file at `path`, atomically and durably: a temporary file
// beside it is written whole, synced and renamed over it, then the folder is synced. On any
// failure the previous file stays as it was, and the answer says why.
std::optional<QString> replace(const QString& path, const QByteArray& bytes);

struct MoveResult {
    enum class State { Moved, NothingThere, Failed };
    State state = State::Failed;
    // Moved: where the file is now. Failed: why.
    QString detail;
};

// Moves whatever is at `path` (of any type, without reading it) to the first free name of
// `stem` + `suffix`, `stem`-1 + `suffix`, ... in the same folder, and syncs it and the folder,
// so that the move is durable before anything takes the old name.
MoveResult moveAside(const QString& path, const QString& stem, const QString& suffix);

// Removes the temporary files that writes cut short (by a crash or a kill) left in `folder`.
// Only for the process that holds the store.
void removeLeftovers(const QString& folder);

} // namespace StoreFiles
