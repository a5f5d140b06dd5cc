#include "tasklist/TaskOrder.h"

#include <QString>

#include <algorithm>
#include <numeric>
#include <optional>

namespace TaskOrder {

namespace {

// Moves the surrogates above U+E000-U+FFFF, where their code points are.
char32_t codePointRank(char16_t unit) {
    if (unit < 0xD800) {
        return unit;
    }
    return unit < 0xE000 ? unit + 0x2000 : unit - 0x800;
}

using OptionalDate = std::optional<Date> Task::*;

// A strict weak ordering of stored positions for the two optional dates: ascending puts the
// dated tasks first and the undated ones in reverse stored order, descending the exact reverse.
// The clock-based stand-in for a missing date would not be a strict weak ordering.
auto optionalDateOrder(const std::vector<Task>& tasks, OptionalDate field, bool ascending) {
    return [&tasks, field, ascending](std::size_t i, std::size_t j) {
        const std::optional<Date>& a = tasks[i].*field;
        const std::optional<Date>& b = tasks[j].*field;
        if (a && b) {
            return ascending ? *a < *b : *b < *a;
        }
        if (a.has_value() != b.has_value()) {
            return ascending == a.has_value();
        }
        // Both undated: reversed when ascending, kept (stable) when descending.
        return ascending && i > j;
    };
}

} // namespace

bool plainLess(QStringView a, QStringView b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (ia == a.end() || ib == b.end()) {
        return ia == a.end() && ib != b.end();
    }
    return codePointRank(ia->unicode()) < codePointRank(ib->unicode());
}

void sort(std::vector<Task>& tasks, int column, bool ascending) {
    std::vector<std::size_t> order(tasks.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    switch (column) {
    case createdColumn:
        std::stable_sort(order.begin(), order.end(), [&tasks, ascending](auto i, auto j) {
            return ascending ? tasks[i].created < tasks[j].created
                             : tasks[j].created < tasks[i].created;
        });
        break;
    case nameColumn: {
        std::vector<QString> keys;
        keys.reserve(tasks.size());
        for (const Task& task : tasks) {
            keys.push_back(task.name.normalized(QString::NormalizationForm_C));
        }
        std::stable_sort(order.begin(), order.end(), [&keys, ascending](auto i, auto j) {
            return ascending ? plainLess(keys[i], keys[j]) : plainLess(keys[j], keys[i]);
        });
        break;
    }
    case snoozedUntilColumn:
        std::stable_sort(order.begin(), order.end(),
                         optionalDateOrder(tasks, &Task::snoozedUntil, ascending));
        break;
    case doneDateColumn:
        std::stable_sort(order.begin(), order.end(),
                         optionalDateOrder(tasks, &Task::doneDate, ascending));
        break;
    default:
        return;
    }
    std::vector<Task> sorted;
    sorted.reserve(tasks.size());
    for (const std::size_t i : order) {
        sorted.push_back(std::move(tasks[i]));
    }
    tasks = std::move(sorted);
}

} // namespace TaskOrder
