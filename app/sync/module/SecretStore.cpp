#include "sync/module/SecretStore.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>

namespace {

const QString service = QStringLiteral("Quenby sync");

// What a secret store job ended with.
struct JobEnd {
    QKeychain::Error error = QKeychain::OtherError;
    QString errorText = QStringLiteral("no answer in time");
    QString text;
};

// QtKeychain runs jobs one at a time through a queue object of its own, bound to the thread
// that used it first; jobs from another thread race with it. So every job of the process
// runs on this one thread, kept until the process ends.
QThread& jobThread() {
    static struct Owner {
        QThread thread;
        Owner() {
            thread.setObjectName(QStringLiteral("secret store"));
            thread.start();
        }
        ~Owner() {
            thread.quit();
            thread.wait();
        }
        Owner(const Owner&) = delete;
        Owner& operator=(const Owner&) = delete;
    } owner;
    return owner.thread;
}

// Runs `job` on the job thread; `done` gets how it ended on the thread of `context`, unless
// `context` is gone by then.
void run(QKeychain::Job* job, const QObject* context, std::function<void(JobEnd)> done) {
    auto end = std::make_shared<JobEnd>();
    // Directly on the job thread, before the job can go.
    QObject::connect(
        job, &QKeychain::Job::finished, job,
        [end, job] {
            *end = {job->error(), job->errorString(), {}};
            if (const auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(job)) {
                end->text = read->textData();
            }
        },
        Qt::DirectConnection);
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [end, done = std::move(done)] { done(std::move(*end)); });
    job->setAutoDelete(true);
    job->moveToThread(&jobThread());
    QMetaObject::invokeMethod(job, [job] { job->start(); });
}

// Runs `job` and waits for its end, `patience` at most, in an event loop of this thread:
// never the GUI's. Quitting this thread ends the wait too.
JobEnd waitFor(QKeychain::Job* job, std::chrono::milliseconds patience) {
    JobEnd end;
    QEventLoop loop;
    run(job, &loop, [&end, &loop](JobEnd ended) {
        end = std::move(ended);
        loop.quit();
    });
    QTimer::singleShot(patience, &loop, &QEventLoop::quit);
    loop.exec();
    return end;
}

QString failureOf(const JobEnd& end) {
    return end.error == QKeychain::NoError ? QString() : end.errorText;
}

QKeychain::Job* writeJob(const QString& entry, const QString& password) {
    auto* job = new QKeychain::WritePasswordJob(service);
    job->setKey(entry);
    job->setTextData(password);
    return job;
}

QKeychain::Job* deleteJob(const QString& entry) {
    auto* job = new QKeychain::DeletePasswordJob(service);
    job->setKey(entry);
    return job;
}

// An entry already gone counts as removed.
QString forgetFailureOf(const JobEnd& end) {
    return end.error == QKeychain::EntryNotFound ? QString() : failureOf(end);
}

} // namespace

namespace SecretStore {

SyncPassword::Lookup read(const QString& entry, std::chrono::milliseconds patience) {
    auto* job = new QKeychain::ReadPasswordJob(service);
    job->setKey(entry);
    JobEnd end = waitFor(job, patience);
    if (end.error != QKeychain::NoError) {
        return {std::nullopt, QStringLiteral("secret store: ") + end.errorText};
    }
    return {std::move(end.text), {}};
}

QString store(const QString& entry, const QString& password, std::chrono::milliseconds patience) {
    return failureOf(waitFor(writeJob(entry, password), patience));
}

void store(const QString& entry, const QString& password, const QObject* context,
           std::function<void(const QString&)> done) {
    run(writeJob(entry, password), context,
        [done = std::move(done)](const JobEnd& end) { done(failureOf(end)); });
}

void forget(const QString& entry, const QObject* context,
            std::function<void(const QString&)> done) {
    run(deleteJob(entry), context,
        [done = std::move(done)](const JobEnd& end) { done(forgetFailureOf(end)); });
}

} // namespace SecretStore
