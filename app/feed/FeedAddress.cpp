#include "feed/FeedAddress.h"

#include "feed/BuildSettings.h"

#include <QHostAddress>

namespace {

const char* const variable = "QUENBY_FEED_URL";

bool isLoopback(const QString& host) {
    const QHostAddress address(host);
    return address.isNull() ? host.compare(u"localhost", Qt::CaseInsensitive) == 0
                            : address.isLoopback();
}

FeedAddress refused(const QString& shown, const char* why) {
    return {{},
            QStringLiteral("Message feed: refused address ") + shown + QStringLiteral(" (") +
                QString::fromUtf8(why) + u')'};
}

} // namespace

FeedAddress resolveFeedAddress(const QString& configured,
                               const std::optional<QString>& environment) {
    const QString text = environment.value_or(configured).trimmed();
    if (text.isEmpty()) {
        return {{}, QStringLiteral("Message feed: no address configured")};
    }
    const QUrl url(text, QUrl::StrictMode);
    // Never print a password, not even a refused one: a text that does not parse is not shown.
    if (!url.isValid() || url.host().isEmpty()) {
        return {{}, QStringLiteral("Message feed: refused address (not a valid address)")};
    }
    const QString shown = url.toDisplayString(QUrl::RemoveUserInfo);
    if (!url.userInfo().isEmpty()) {
        return refused(shown, "the feed is fetched without credentials");
    }
    const QString scheme = url.scheme();
    if (scheme != u"https" && !(scheme == u"http" && isLoopback(url.host()))) {
        return refused(shown, "only https, or http to this machine");
    }
    return {url, {}};
}

FeedAddress configuredFeedAddress() {
    std::optional<QString> environment;
    if (qEnvironmentVariableIsSet(variable)) {
        environment = qEnvironmentVariable(variable);
    }
    return resolveFeedAddress(QString::fromUtf8(BuildSettings::feedUrl), environment);
}
