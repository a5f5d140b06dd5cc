#include "sync/EditTimes.h"

void EditTimes::note(const std::vector<Task>& before, const std::vector<Task>& after, Date when) {
    QHash<QUuid, const Task*> old;
    for (const Task& t : before) {
        old.insert(t.id, &t);
    }
    for (const Task& t : after) {
        const Task* was = old.take(t.id);
        if (!was || !(*was == t)) {
            at.insert(t.id, when);
        }
    }
    for (auto it = old.cbegin(); it != old.cend(); ++it) {
        at.insert(it.key(), when);
    }
}

void EditTimes::merge(const EditTimes& other) {
    for (auto it = other.at.cbegin(); it != other.at.cend(); ++it) {
        const auto mine = at.constFind(it.key());
        if (mine == at.cend() || *mine < it.value()) {
            at.insert(it.key(), it.value());
        }
    }
}
