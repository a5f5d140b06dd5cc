#pragma once

#include "support/Date.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <cstdint>
#include <optional>
#include <vector>

// The flags sit together at the end: a list holds every task in memory, and each one is 88
// bytes instead of 96.
struct Task {
    QUuid id;
    QString name;
    Date created;
    std::optional<Date> snoozedUntil;
    std::optional<Date> doneDate;
    bool isSnoozed = false;
    bool isTutorial = false;
    bool isDone = false;

    // Every field counts: an edit the undo history, a running sync or the list compares
    // must not slip through a field that one of them forgot.
#ifndef Q_MOC_RUN
    bool operator==(const Task&) const = default;
#endif
};
static_assert(sizeof(void*) != 8 || sizeof(Task) == 88);

struct SystemMessage {
    std::int64_t id = 0;
    std::int64_t created_at = 0;
    QStringList platform;
    QString min_version;
    QString max_version;
    QString message;
    QString cta_text;
    QString cta_url;
    bool isSnoozed = false;
    std::optional<Date> snoozedUntil;
};

// Stored JSON forms. Decoding is all or nothing: any bad element yields nullopt.
// Encoding yields nullopt only for a value JSON cannot hold (a non-finite time).
namespace Json {
std::optional<QByteArray> encodeTasks(const std::vector<Task>& tasks);
std::optional<std::vector<Task>> decodeTasks(const QByteArray& json);

std::optional<QByteArray> encodeSystemMessages(const std::vector<SystemMessage>& messages);
std::optional<std::vector<SystemMessage>> decodeSystemMessages(const QByteArray& json);

QByteArray encodeIntegers(const std::vector<std::int64_t>& values);
std::optional<std::vector<std::int64_t>> decodeIntegers(const QByteArray& json);

// The canonical 36-character form in upper case, and its strict inverse (either case).
QByteArray uuidText(const QUuid& id);
std::optional<QUuid> parseUuid(std::string_view text);
} // namespace Json
