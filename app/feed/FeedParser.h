#pragma once

#include "store/Models.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace Feed {

struct ParsedFeed {
    // Every element of the array in feed order; none when the body is refused.
    std::optional<std::vector<SystemMessage>> messages;
    // Why the body was refused; empty when it was parsed.
    QString problem;
    // One "label: value" line for every value read, in the fixed label order, without the
    // last line end, so that one print writes them all.
    QByteArray valueLines;
};

// The body must be a JSON array of objects. A value of the wrong JSON type counts as
// absent and gets the field's default, as does a missing key; unknown keys are ignored.
ParsedFeed parseFeed(const QByteArray& body);

} // namespace Feed
