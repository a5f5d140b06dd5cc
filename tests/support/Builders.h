#pragma once

#include "store/Models.h"

#include <QStringList>
#include <QUuid>

#include <ranges>

// Records as the tests need them: only what a test names differs from a fresh record.
inline Task makeTask(const QString& name, double created) {
    Task t;
    t.id = QUuid::createUuid();
    t.name = name;
    t.created = Date{created};
    return t;
}

inline Task makeTutorial(const QString& hint, double created) {
    Task t = makeTask(hint, created);
    t.isTutorial = true;
    return t;
}

inline Task markedDone(Task t, std::optional<Date> on = std::nullopt) {
    t.isDone = true;
    t.doneDate = on;
    return t;
}

inline Task makeSnoozed(const QString& name, double created, std::optional<Date> until) {
    Task t = makeTask(name, created);
    t.isSnoozed = true;
    t.snoozedUntil = until;
    return t;
}

inline SystemMessage makeMessage(std::int64_t id, std::int64_t createdAt, const QString& text) {
    SystemMessage m;
    m.id = id;
    m.created_at = createdAt;
    m.message = text;
    m.cta_text = QStringLiteral("Read more");
    m.cta_url = QStringLiteral("https://example.com/news");
    return m;
}

// The names of `tasks`, in order.
inline QStringList names(const std::vector<Task>& tasks) {
    const auto view = tasks | std::views::transform(&Task::name);
    return {view.begin(), view.end()};
}
