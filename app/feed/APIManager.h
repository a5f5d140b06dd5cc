#pragma once

#include "feed/FeedAddress.h"
#include "store/Models.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <vector>

// Fetches the announcement feed. Replies arrive on the thread that owns this object (the
// main thread), so the caller's handler runs serialised with the interface.
class APIManager : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(bool success, const QString& statusText,
                                          std::vector<SystemMessage> messages)>;

    static constexpr std::chrono::milliseconds defaultTimeout = std::chrono::seconds(60);
    // A larger body is not read to its end, nor parsed: the feed holds a few announcements.
    static constexpr qsizetype maxBodyBytes = 1024 * 1024;

    explicit APIManager(FeedAddress address, QObject* parent = nullptr);

    // Starts one fetch and returns at once; `success` is called exactly once, when the fetch
    // ends. Without an accepted address nothing is fetched: one line says why, and `success`
    // is never called.
    void getSystemMessages(Completion success);

    // A fetch that has not ended this long after it started is abandoned.
    void setTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

private:
    FeedAddress address_;
    std::chrono::milliseconds timeout_ = defaultTimeout;
    QNetworkAccessManager network_;
};
