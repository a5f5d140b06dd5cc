// The feed as the task model takes it: what a fetch brings, and what Done does after a re-sort.
#include "feed/FeedService.h"

#include "store/DBManager.h"
#include "tasks/TaskBoard.h"
#include "tests/support/Builders.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TempConfigHome.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(FeedServiceTest, AFetchedMessageIsKeptAndDoneActsOnTheOneOnShowAfterAReSort) {
    TempConfigHome home;
    LocalHttpServer server;
    DBManager::saveSystemMessages({makeMessage(1, 100, "on show")});
    TaskBoard board([] { return Date{800'000'000}; });
    FeedService feed(board, resolveFeedAddress(server.url().toString(), std::nullopt));
    board.load();
    board.setCurrentTask();
    QSignalSpy ended(&feed, &FeedService::fetchEnded);
    // A message created earlier sorts before the one on show, which stays on show.
    server.answer("/msg.json", LocalHttpServer::response(200, R"([
        {"id":3,"created_at":50,"message":"earlier","platform":["Linux"]},
        {"id":4,"created_at":60,"message":"elsewhere","platform":["MacOS"]}])"));
    feed.fetch();
    ASSERT_TRUE(ended.wait(5000));
    ASSERT_EQ(board.systemMessages().size(), 2u);
    EXPECT_EQ(std::tuple(board.systemMessages()[0].message, board.currentMessage()->message),
              std::tuple(QString("earlier"), QString("on show")));
    board.doneCurrent();
    ASSERT_EQ(DBManager::getSystemMessages().size(), 1u);
    EXPECT_EQ(std::tuple(board.currentMessage()->message, DBManager::getSystemMessages()[0].id,
                         DBManager::getSeenSysyemMessages()),
              std::tuple(QString("earlier"), 3, std::vector<std::int64_t>{3}));

    // The same message again is not taken twice, even after Done.
    board.doneCurrent();
    feed.fetch();
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_TRUE(board.systemMessages().empty() && DBManager::getSystemMessages().empty());
}
