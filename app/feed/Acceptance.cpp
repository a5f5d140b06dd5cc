#include "feed/Acceptance.h"

#include "support/Console.h"
#include "support/DateHelpers.h"

#include <algorithm>
#include <unordered_set>

namespace {

bool byCreation(const SystemMessage& a, const SystemMessage& b) {
    return a.created_at < b.created_at;
}

bool isForPlatform(const SystemMessage& m, QStringView platform) {
    return m.platform.isEmpty() || m.platform.contains(platform);
}

// An empty bound has no components and so holds every version.
bool isInWindow(const SystemMessage& m, QStringView version) {
    return compareVersions(version, m.min_version) >= 0 &&
           compareVersions(version, m.max_version) <= 0;
}

// Feed text stays on its line.
QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c.unicode() < 0x20) {
            c = u' ';
        }
    }
    return text;
}

} // namespace

namespace Feed {

std::optional<Acceptance> acceptMessages(bool success, const std::vector<SystemMessage>& fetched,
                                         MessageLists stored, QStringView platform,
                                         QStringView version) {
    if (!success) {
        return std::nullopt;
    }
    Acceptance result{std::move(stored)};
    auto& [messages, seen] = result.lists;
    const bool wasOrdered = std::is_sorted(messages.begin(), messages.end(), byCreation);
    std::unordered_set<std::int64_t> seenIds(seen.begin(), seen.end());
    const size_t storedCount = messages.size();
    for (const SystemMessage& m : fetched) {
        // Recorded at once, so a later message with the same id in this feed is skipped.
        if (seenIds.contains(m.id) || !isForPlatform(m, platform) || !isInWindow(m, version)) {
            continue;
        }
        SystemMessage accepted = m;
        accepted.isSnoozed = false;
        accepted.snoozedUntil.reset();
        messages.push_back(std::move(accepted));
        seenIds.insert(m.id);
        seen.push_back(m.id);
    }
    std::stable_sort(messages.begin(), messages.end(), byCreation);
    result.changed = messages.size() != storedCount || !wasOrdered;
    return result;
}

void printReceived(bool success, const QString& statusText,
                   const std::vector<SystemMessage>& fetched) {
    QString lines = QString::number(fetched.size()) + QStringLiteral(" messages");
    for (const SystemMessage& m : fetched) {
        lines += u'\n' + oneLine(m.message);
    }
    Console::printLine(success, statusText, lines);
}

} // namespace Feed
