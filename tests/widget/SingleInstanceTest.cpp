// One running panel per store folder, and the channel later launches use to reach it.
#include "platform/SingleInstance.h"
#include "tests/support/FileFaults.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <future>
#include <memory>

TEST(SingleInstance, RequestsAreAnsweredOnceEachAndTogetherUntilItEndsAndALockCanFail) {
    const QTemporaryDir store;
    SingleInstance holder(store.path());
    ASSERT_EQ(holder.claim(), SingleInstance::Claim::First);
    // It answers each batch of requests with their names, and counts the batches.
    QStringList applied;
    int batches = 0;
    holder.setActionHandler([&](const std::vector<ActionRequest>& requests) {
        std::vector<ActionReply> replies;
        for (const ActionRequest& r : requests) {
            applied << r.text;
            replies.push_back({true, r.name + u' ' + r.text});
        }
        ++batches;
        return replies;
    });
    holder.listen();

    ActionRequest request{"add", "water the plants", {}, "one-id"};
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Sent from another thread while this one runs the holder's event loop.
        auto sent = std::async(std::launch::async, [&] {
            SingleInstance client(store.path());
            EXPECT_EQ(client.claim(), SingleInstance::Claim::AlreadyRunning);
            return client.sendAction(request);
        });
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            30000));
        const auto delivery = sent.get();
        ASSERT_TRUE(std::holds_alternative<ActionReply>(delivery));
        EXPECT_EQ(std::get<ActionReply>(delivery).message, "add water the plants");
    }
    EXPECT_EQ(applied, QStringList{"water the plants"}) << "sent twice, applied once";

    // Requests that wait together (written while the holder's loop is busy) are handled in
    // one batch.
    std::vector<std::unique_ptr<QLocalSocket>> waiting;
    for (int i = 0; i < 5; ++i) {
        auto& socket = waiting.emplace_back(std::make_unique<QLocalSocket>());
        socket->connectToServer(store.path() + "/quenby-instance.socket");
        ASSERT_TRUE(socket->waitForConnected(5000));
        socket->write(
            ActionRequest{"add", QString::number(i), {}, QByteArray::number(i)}.encoded());
        ASSERT_TRUE(socket->waitForBytesWritten(5000));
    }
    const int before = batches;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return waiting[i]->canReadLine(); }, 30000));
        EXPECT_EQ(ActionReply::decoded(waiting[i]->readLine())->message,
                  "add " + QString::number(i));
    }
    EXPECT_EQ(batches - before, 1);

    EXPECT_EQ(applied.size(), 6);

    // Once it has ended, a request says so rather than waiting. (A lock a killed run left
    // behind blocks nothing: the torture's kill -9 rounds.)
    holder.release();
    const auto late = SingleInstance(store.path()).sendAction({"done", {}, {}});
    ASSERT_TRUE(std::holds_alternative<QString>(late));
    EXPECT_EQ(std::get<QString>(late), "Quenby ended before it answered");

    // A lock that cannot be taken is a failure, not another instance.
    const QString lockPath = store.path() + "/quenby-instance.lock";
    QFile::remove(lockPath); // the ended holder's, if it left one
    // A FIFO in the lock's place: refused at once, never waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(lockPath).constData(), 0600), 0);
    QElapsedTimer took;
    took.start();
    SingleInstance jammed(store.path());
    EXPECT_EQ(jammed.claim(), SingleInstance::Claim::Failed);
    EXPECT_LT(took.elapsed(), 1000);
    EXPECT_EQ(jammed.failure(), lockPath + " is not a file of this user's");
    ASSERT_TRUE(QFile::remove(lockPath));

    // A folder where nobody may create the lock.
    {
        const ObeyFilePermissions asUser;
        ::chmod(QFile::encodeName(store.path()).constData(), 0500);
        SingleInstance refused(store.path());
        EXPECT_EQ(refused.claim(), SingleInstance::Claim::Failed);
        EXPECT_EQ(refused.failure(), "cannot open " + lockPath + ": Permission denied");
        ::chmod(QFile::encodeName(store.path()).constData(), 0700);
    }
    // One its group or others may write: the torture's other user.
}
