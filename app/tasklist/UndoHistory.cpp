#include "tasklist/UndoHistory.h"

#include <QHash>

namespace {

QHash<QUuid, std::size_t> positions(const std::vector<Task>& tasks) {
    QHash<QUuid, std::size_t> index;
    index.reserve(static_cast<qsizetype>(tasks.size()));
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        index.insert(tasks[i].id, i);
    }
    return index;
}

} // namespace

void UndoHistory::record(const std::vector<Task>& before, const std::vector<Task>& after) {
    Change change;
    const QHash<QUuid, std::size_t> earlier = positions(before);
    std::vector<bool> kept(before.size(), false);
    for (const Task& task : after) {
        const auto it = earlier.constFind(task.id);
        if (it == earlier.constEnd()) {
            change.added.push_back(task);
            continue;
        }
        kept[*it] = true;
        if (before[*it] != task) {
            change.altered.emplace_back(before[*it], task);
        }
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!kept[i]) {
            change.removed.push_back(before[i]);
        }
    }
    if (change.removed.empty() && change.added.empty() && change.altered.empty()) {
        return;
    }
    changes_.push_back(std::move(change));
    if (changes_.size() > depth) {
        changes_.pop_front();
    }
}

std::optional<UndoHistory::Undone> UndoHistory::undo(std::vector<Task> current) {
    if (changes_.empty()) {
        return std::nullopt;
    }
    const Change change = std::move(changes_.back());
    changes_.pop_back();
    int changedSince = 0;
    const QHash<QUuid, std::size_t> now = positions(current);
    for (const auto& [was, became] : change.altered) {
        const auto it = now.constFind(was.id);
        if (it != now.constEnd() && current[*it] == became) {
            current[*it] = was;
        } else {
            ++changedSince;
        }
    }
    std::vector<bool> drop(current.size(), false);
    for (const Task& task : change.added) {
        const auto it = now.constFind(task.id);
        if (it == now.constEnd()) {
            // Gone already: nothing is left to take back.
            continue;
        }
        if (current[*it] == task) {
            drop[*it] = true;
        } else {
            ++changedSince;
        }
    }
    std::vector<Task> result;
    result.reserve(current.size() + change.removed.size());
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (!drop[i]) {
            result.push_back(std::move(current[i]));
        }
    }
    for (const Task& task : change.removed) {
        if (now.contains(task.id)) {
            ++changedSince;
        } else {
            result.push_back(task);
        }
    }
    return Undone{std::move(result), changedSince};
}
