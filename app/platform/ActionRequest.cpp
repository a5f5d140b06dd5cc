#include "platform/ActionRequest.h"

#include <QList>

#include <array>

namespace {

// Every field is percent-encoded, so texts with spaces or line breaks keep to one line.
QByteArray line(const QList<QByteArray>& fields) {
    QByteArray joined;
    for (const QByteArray& field : fields) {
        joined += (joined.isEmpty() ? "" : " ") + field.toPercentEncoding();
    }
    return joined + '\n';
}

// The fields of a line that starts with `tag` and has `count` fields in all.
std::optional<QList<QByteArray>> fields(const QByteArray& line, const QByteArray& tag,
                                        qsizetype count) {
    if (!line.endsWith('\n')) {
        return std::nullopt;
    }
    QList<QByteArray> parts = line.chopped(1).split(' ');
    if (parts.size() != count || parts.constFirst() != tag) {
        return std::nullopt;
    }
    for (QByteArray& part : parts) {
        part = QByteArray::fromPercentEncoding(part);
    }
    return parts;
}

const QByteArray actionTag = QByteArrayLiteral("action");
// The reply's tag says how it ended.
const std::array<QByteArray, 3> replyTags{QByteArrayLiteral("done"), QByteArrayLiteral("unsaved"),
                                          QByteArrayLiteral("refused")};

} // namespace

QByteArray ActionRequest::encoded() const {
    return line({actionTag, id, name.toUtf8(), text.toUtf8(), activationToken});
}

std::optional<ActionRequest> ActionRequest::decoded(const QByteArray& line) {
    const auto parts = fields(line, actionTag, 5);
    if (!parts) {
        return std::nullopt;
    }
    return ActionRequest{QString::fromUtf8(parts->at(2)), QString::fromUtf8(parts->at(3)),
                         parts->at(4), parts->at(1)};
}

QByteArray ActionReply::encoded() const {
    return line({replyTags[done ? (unsaved ? 1 : 0) : 2], message.toUtf8()});
}

std::optional<ActionReply> ActionReply::decoded(const QByteArray& line) {
    for (std::size_t i = 0; i < replyTags.size(); ++i) {
        if (const auto parts = fields(line, replyTags[i], 2)) {
            return ActionReply{i < 2, QString::fromUtf8(parts->at(1)), i == 1};
        }
    }
    return std::nullopt;
}
