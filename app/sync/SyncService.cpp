#include "sync/SyncService.h"

#include "support/Console.h"
#include "tasks/TaskBoard.h"

#include <QDateTime>

#include <algorithm>
#include <mutex>

namespace {

std::vector<const Task*> byId(const std::vector<Task>& tasks) {
    std::vector<const Task*> sorted;
    sorted.reserve(tasks.size());
    for (const Task& t : tasks) {
        sorted.push_back(&t);
    }
    std::sort(sorted.begin(), sorted.end(),
              [](const Task* a, const Task* b) { return a->id < b->id; });
    return sorted;
}

// The same tasks, in any order: a selection pass that only re-sorts is no change.
bool sameTasks(const std::vector<Task>& a, const std::vector<Task>& b) {
    return a.size() == b.size() &&
           std::ranges::equal(byId(a), byId(b), [](auto* x, auto* y) { return *x == *y; });
}

QString syncedAt(Date when) {
    const auto seconds = static_cast<qint64>(when.unixSeconds());
    return QStringLiteral("Synced ") +
           QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("HH:mm"));
}

} // namespace

struct SyncService::Relay {
    explicit Relay(SyncService* s)
        : service(s) {}

    std::mutex mutex;
    SyncService* service;

    void deliver(SyncEngine::Outcome outcome, unsigned round) {
        const std::scoped_lock lock(mutex);
        if (service) {
            QMetaObject::invokeMethod(service,
                                      [s = service, outcome = std::move(outcome), round]() mutable {
                                          s->finish(std::move(outcome), round);
                                      });
        }
    }
    void cut() {
        const std::scoped_lock lock(mutex);
        service = nullptr;
    }
};

SyncService::SyncService(TaskBoard& board, PreferenceStore store, Timing timing, QObject* parent)
    : QObject(parent)
    , board_(board)
    , store_(std::move(store))
    , timing_(timing)
    , thread_(std::make_unique<QThread>())
    , worker_(std::make_unique<QObject>())
    , relay_(std::make_shared<Relay>(this)) {
    settle_.setSingleShot(true);
    settle_.setInterval(timing_.settle);
    interval_.setInterval(timing_.interval);
    connect(&settle_, &QTimer::timeout, this, &SyncService::syncNow);
    connect(&interval_, &QTimer::timeout, this, &SyncService::syncNow);
    connect(&board_, &TaskBoard::changed, this, &SyncService::localChange);
    worker_->moveToThread(thread_.get());
    thread_->setObjectName(QStringLiteral("sync"));
}

SyncService::~SyncService() {
    relay_->cut();
    cancel();
    thread_->quit();
    if (thread_->wait(QDeadlineTimer(timing_.quitPatience))) {
        return;
    }
    Console::printLine(QStringLiteral("Sync: quitting without waiting for the sync thread"));
    QThread* thread = thread_.release();
    QObject* worker = worker_.release();
    QObject::connect(thread, &QThread::finished, thread, [thread, worker] {
        delete worker;
        thread->deleteLater();
    });
    // It may have ended just before the connection was made.
    if (thread->isFinished()) {
        thread->wait();
        delete worker;
        delete thread;
    }
}

void SyncService::cancel() {
    stopRunning_.request_stop();
    stopRunning_ = {};
}

void SyncService::start(Connection connection) {
    // Only a machine that syncs pays for the thread.
    if (!thread_->isRunning()) {
        thread_->start();
    }
    cancel();
    connection_ = std::move(connection);
    ++round_;
    again_ = false;
    interval_.start();
    syncNow();
}

void SyncService::stop() {
    cancel();
    connection_.reset();
    ++round_;
    again_ = false;
    settle_.stop();
    interval_.stop();
    setStatus({});
}

void SyncService::syncNow() {
    if (!connection_) {
        return;
    }
    if (running_) {
        again_ = true;
        return;
    }
    launch();
}

void SyncService::localChange() {
    if (connection_ && !sameTasks(board_.tasks(), seen_)) {
        seen_ = board_.tasks();
        settle_.start();
    }
}

void SyncService::launch() {
    running_ = true;
    settle_.stop();
    sent_ = board_.tasks();
    seen_ = sent_;
    // Everything the sync needs goes with it by value: it may outlive this service.
    QMetaObject::invokeMethod(worker_.get(), [relay = relay_, round = round_,
                                              connection = *connection_, tasks = sent_,
                                              state = SyncState::load(store_), now = board_.now(),
                                              bounds = CalDavClient::Bounds{
                                                  timing_.requestTimeout,
                                                  DavSession::Clock::now() + timing_.syncTimeout,
                                                  stopRunning_.get_token()}]() mutable {
        SyncEngine::Outcome outcome;
        const Password password = connection.password();
        if (password.value) {
            CalDavClient client(connection.collection, {connection.user, *password.value}, bounds);
            outcome = SyncEngine::run(client, tasks, std::move(state), now);
        } else {
            outcome.failure = password.failure;
        }
        relay->deliver(std::move(outcome), round);
    });
}

void SyncService::finish(SyncEngine::Outcome outcome, unsigned round) {
    running_ = false;
    // Stopped or started afresh meanwhile: the outcome belongs to a former connection.
    if (round == round_) {
        keep(outcome);
        setStatus(outcome.failure.isEmpty() ? syncedAt(board_.now())
                                            : QStringLiteral("Sync failed: ") + outcome.failure);
    }
    emit syncFinished();
    if (std::exchange(again_, false) || round != round_) {
        syncNow();
    }
}

// The state describes the server against the tasks the sync started from. It is saved only
// once those tasks (with what the server sent) are stored: tasks first, so that a kill in
// between leaves an older state, which the next sync reconciles without loss.
void SyncService::keep(SyncEngine::Outcome& outcome) {
    const bool editedMeanwhile = !sameTasks(board_.tasks(), sent_);
    if (outcome.tasks && editedMeanwhile) {
        // Newer edits here: merge them with the server's news in another sync.
        settle_.start();
        return;
    }
    if (outcome.tasks) {
        seen_ = *outcome.tasks;
        board_.replaceTasks(std::move(*outcome.tasks));
    }
    // Without news from the server, the state still fits: the newer edits build on the
    // tasks it describes and go out with the next sync.
    if (board_.tasksSaved() && !outcome.state.save(store_)) {
        Console::printLine(QStringLiteral("Sync state not saved; the next sync compares again"));
    }
}

void SyncService::setStatus(const QString& status) {
    if (status == status_) {
        return;
    }
    status_ = status;
    if (!status_.isEmpty()) {
        Console::printLine(status_);
    }
    emit statusChanged(status_);
}
