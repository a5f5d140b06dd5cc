#pragma once

#include "store/Models.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace Feed {

// The platform a message must name in its list (or leave the list empty) to be shown here.
inline constexpr QStringView platformTag = u"Linux";

// What the store keeps of the feed: the accepted messages and the ids ever accepted.
struct MessageLists {
    std::vector<SystemMessage> messages;
    std::vector<std::int64_t> seen;
};

struct Acceptance {
    // Both lists to save (the seen list also when nothing was accepted).
    MessageLists lists;
    // Whether the message list differs from the stored one: new messages, or a new order.
    bool changed = false;
};

// Takes the fetched messages that are new (id not yet seen), meant for `platform` and whose
// version window holds `version`, in feed order; then orders the list by created_at, stored
// messages before new ones where equal. None after a failed fetch: nothing is saved then.
std::optional<Acceptance> acceptMessages(bool success, const std::vector<SystemMessage>& fetched,
                                         MessageLists stored, QStringView platform,
                                         QStringView version);

// The lines the acceptance prints: the fetch's outcome, then each received message's text.
void printReceived(bool success, const QString& statusText,
                   const std::vector<SystemMessage>& fetched);

} // namespace Feed
