// One running panel per user and store.
#include "platform/SingleInstance.h"
#include "tests/support/TempConfigHome.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SingleInstance, ALaterLaunchAsksTheFirstToComeForward) {
    const QTemporaryDir store;
    SingleInstance first(store.path());
    ASSERT_TRUE(first.claim());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    SingleInstance second(store.path());
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(second.notifyRunning());
    EXPECT_TRUE(activations.wait(2000));
    EXPECT_EQ(activations.count(), 1);

    // Another store is another instance.
    const QTemporaryDir other;
    SingleInstance elsewhere(other.path());
    EXPECT_TRUE(elsewhere.claim());
    EXPECT_NE(SingleInstance::keyFor(store.path()), SingleInstance::keyFor(other.path()));
    EXPECT_EQ(SingleInstance::keyFor(store.path()), SingleInstance::keyFor(store.path() + "/"));
}

TEST(SingleInstance, TheLockOfACrashedRunDoesNotBlock) {
    const QTemporaryDir store;
    const QString lockPath =
        QDir::temp().filePath(SingleInstance::keyFor(store.path()) + QStringLiteral(".lock"));
    {
        // What a run killed while holding the lock leaves: its process is gone.
        QFile stale(lockPath);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("2147480000\nquenby\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    SingleInstance next(store.path());
    EXPECT_TRUE(next.claim());
}

TEST(SingleInstance, NobodyToNotifyIsReported) {
    const QTemporaryDir store;
    const SingleInstance lonely(store.path());
    EXPECT_FALSE(lonely.notifyRunning());
}
