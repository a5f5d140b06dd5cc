#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Where the feed is fetched from, or the line that says why nothing is fetched.
struct FeedAddress {
    QUrl url;        // empty when refused
    QString refusal; // empty when accepted

    bool accepted() const { return !url.isEmpty(); }
};

// Only https is fetched, or plain http to this machine (127.0.0.0/8, ::1, localhost) for
// tests. A set environment value, even an empty one, wins over the configured one.
FeedAddress resolveFeedAddress(const QString& configured,
                               const std::optional<QString>& environment);

// The build's QUENBY_FEED_URL, overridden by the environment variable of the same name.
FeedAddress configuredFeedAddress();
