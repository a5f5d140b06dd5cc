// One running panel per store folder, whatever path leads to it.
#include "platform/SingleInstance.h"
#include "tests/support/FileFaults.h"
#include "tests/support/ScopedEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// XDG_RUNTIME_DIR at `folder` (unset for an empty one) for the life of the object.
ScopedEnv runtimeDir(const QString& folder) {
    return {"XDG_RUNTIME_DIR", folder.isEmpty() ? std::nullopt : std::optional(folder.toUtf8())};
}

} // namespace

TEST(SingleInstance, ALaterLaunchAsksTheFirstToComeForward) {
    const QTemporaryDir runtime;
    const ScopedEnv inRuntime = runtimeDir(runtime.path());
    const QTemporaryDir store;
    SingleInstance first(store.path());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::First);
    EXPECT_TRUE(first.lockPath().startsWith(runtime.path() + "/quenby-"));
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    SingleInstance second(store.path());
    EXPECT_EQ(second.claim(), SingleInstance::Claim::AlreadyRunning);
    EXPECT_TRUE(second.notifyRunning());
    EXPECT_TRUE(activations.wait(2000));
    EXPECT_EQ(activations.count(), 1);

    // Another store is another instance.
    const QTemporaryDir other;
    SingleInstance elsewhere(other.path());
    EXPECT_EQ(elsewhere.claim(), SingleInstance::Claim::First);
}

TEST(SingleInstance, EveryPathToTheStoreFindsTheLock) {
    const QTemporaryDir base;
    const QString store = base.path() + "/config/Quenby";
    ASSERT_TRUE(QDir().mkpath(store));
    ASSERT_TRUE(QFile::link(base.path() + "/config", base.path() + "/linked"));
    for (const QString& runtime : {QString(), base.path()}) {
        const ScopedEnv inRuntime = runtimeDir(runtime);
        SingleInstance first(store);
        ASSERT_EQ(first.claim(), SingleInstance::Claim::First);
        for (const QString& path : {base.path() + "/linked/Quenby", store + "/../Quenby/"}) {
            // Another temporary folder changes nothing either.
            const ScopedEnv tmp("TMPDIR", base.path().toUtf8());
            SingleInstance second(path);
            EXPECT_EQ(second.claim(), SingleInstance::Claim::AlreadyRunning) << path.toStdString();
        }
    }
}

TEST(SingleInstance, TheLockOfAnEndedRunDoesNotBlock) {
    const QTemporaryDir runtime;
    const ScopedEnv inRuntime = runtimeDir(runtime.path());
    const QTemporaryDir store;
    QString lockPath;
    {
        SingleInstance ended(store.path());
        ASSERT_EQ(ended.claim(), SingleInstance::Claim::First);
        lockPath = ended.lockPath();
    }
    ASSERT_TRUE(QFile::exists(lockPath)) << "left behind, as by a killed run";
    SingleInstance next(store.path());
    EXPECT_EQ(next.claim(), SingleInstance::Claim::First);
}

TEST(SingleInstance, ALockThatCannotBeTakenIsAFailureNotAnotherInstance) {
    const QTemporaryDir runtime;
    const ScopedEnv inRuntime = runtimeDir(runtime.path());
    const QTemporaryDir store;
    QString lockPath;
    {
        SingleInstance probe(store.path());
        ASSERT_EQ(probe.claim(), SingleInstance::Claim::First);
        lockPath = probe.lockPath();
    }
    ASSERT_TRUE(QFile::remove(lockPath));

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
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::ExeOwner);
        SingleInstance refused(store.path());
        EXPECT_EQ(refused.claim(), SingleInstance::Claim::Failed);
        EXPECT_EQ(refused.failure(), "cannot open " + lockPath + ": Permission denied");
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A folder that others may write is no place for it.
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0777);
    SingleInstance shared(store.path());
    EXPECT_EQ(shared.claim(), SingleInstance::Claim::Failed);
    EXPECT_EQ(shared.failure(), runtime.path() + " is not a folder that only this user can write");
}

TEST(SingleInstance, NobodyToNotifyIsReported) {
    const QTemporaryDir store;
    const SingleInstance lonely(store.path());
    EXPECT_FALSE(lonely.notifyRunning());
}
