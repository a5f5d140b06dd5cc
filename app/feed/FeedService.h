#pragma once

#include "feed/APIManager.h"
#include "store/Models.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <vector>

class TaskBoard;

// The announcement feed as the task model sees it: a fetch at start and once a day, the
// acceptance rules and the seen list; what it accepts goes to the board.
class FeedService : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::hours pollInterval{24};

    // The feed is fetched from `address` (by default the build's, which the environment may
    // override).
    explicit FeedService(TaskBoard& board, FeedAddress address = configuredFeedAddress(),
                         QObject* parent = nullptr);

    // One fetch now, then one a day.
    void startPolling();
    // Reloads the stored messages and fetches the feed once; new messages are accepted when
    // it answers.
    void fetch();
    // The answer of a fetch: the messages meant for this platform and version are kept.
    void accept(bool success, const QString& statusText, const std::vector<SystemMessage>& fetched);

signals:
    // Each fetch's end, whether it brought anything or not.
    void fetchEnded();

private:
    TaskBoard& board_;
    APIManager api_;
    QTimer timer_;
};
