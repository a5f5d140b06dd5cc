#include "feed/FeedService.h"

#include "feed/Acceptance.h"
#include "feed/AppVersion.h"
#include "store/DBManager.h"
#include "tasks/TaskBoard.h"

FeedService::FeedService(TaskBoard& board, FeedAddress address, QObject* parent)
    : QObject(parent)
    , board_(board)
    , api_(std::move(address)) {
    connect(&timer_, &QTimer::timeout, this, &FeedService::fetch);
}

void FeedService::startPolling() {
    fetch();
    timer_.start(pollInterval);
}

void FeedService::fetch() {
    board_.reloadMessages();
    // The answer comes on this thread, so it never interleaves with a pass or an action.
    api_.getSystemMessages(
        [this](bool success, const QString& statusText, std::vector<SystemMessage> fetched) {
            accept(success, statusText, fetched);
            emit fetchEnded();
        });
}

void FeedService::accept(bool success, const QString& statusText,
                         const std::vector<SystemMessage>& fetched) {
    Feed::printReceived(success, statusText, fetched);
    auto accepted = Feed::acceptMessages(
        success, fetched, {board_.systemMessages(), DBManager::getSeenSysyemMessages()},
        Feed::platformTag, runningVersion());
    if (!accepted) {
        return;
    }
    DBManager::saveSeenSysyemMessages(accepted->lists.seen);
    if (accepted->changed) {
        board_.replaceMessages(std::move(accepted->lists.messages));
    }
}
