#include "sync/SyncService.h"

#include "support/Console.h"
#include "sync/RemovedTasks.h"
#include "tasks/TaskSource.h"

#include <QDateTime>
#include <QSet>

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

QString statusOf(const SyncEngine::Outcome& outcome, Date now) {
    if (!outcome.failure.isEmpty()) {
        return QStringLiteral("Sync failed: ") + outcome.failure;
    }
    if (outcome.held > 0) {
        return QStringLiteral("The server no longer lists %1 of your %2 tasks; nothing deleted "
                              "here")
            .arg(outcome.held)
            .arg(outcome.synced);
    }
    return syncedAt(now);
}

} // namespace

struct SyncService::Relay {
    explicit Relay(SyncService* s)
        : service(s) {}

    std::mutex mutex;
    SyncService* service;

    void deliver(SyncEngine::Outcome outcome, SyncEngine::Deletions deletions, unsigned round) {
        const std::scoped_lock lock(mutex);
        if (service) {
            QMetaObject::invokeMethod(
                service, [s = service, outcome = std::move(outcome), deletions, round]() mutable {
                    s->finish(std::move(outcome), deletions, round);
                });
        }
    }
    void cut() {
        const std::scoped_lock lock(mutex);
        service = nullptr;
    }
};

SyncService::SyncService(TaskSource& board, std::shared_ptr<SyncBackend> backend,
                         PreferenceStore store, Timing timing, QObject* parent)
    : QObject(parent)
    , board_(board)
    , backend_(std::move(backend))
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
    board_.onChange(this, [this] { localChange(); });
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

void SyncService::syncWith(Connection connection) {
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

void SyncService::stopSyncing() {
    cancel();
    connection_.reset();
    ++round_;
    again_ = false;
    deletions_ = SyncEngine::Deletions::Guarded;
    held_ = 0;
    edits_ = {};
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

void SyncService::acceptDeletions() {
    deletions_ = SyncEngine::Deletions::Accepted;
    syncNow();
}

std::optional<qsizetype> SyncService::restoreRemoved() {
    std::vector<Task> tasks = board_.tasks();
    QSet<QUuid> present;
    for (const Task& t : tasks) {
        present.insert(t.id);
    }
    qsizetype restored = 0;
    for (Task& t : RemovedTasks::kept(store_, board_.now())) {
        if (!present.contains(t.id)) {
            present.insert(t.id);
            tasks.push_back(std::move(t));
            ++restored;
        }
    }
    if (restored > 0) {
        board_.replaceTasks(std::move(tasks));
    }
    // Kept until the list holds them again.
    if (!board_.tasksSaved() || !RemovedTasks::clear(store_)) {
        return std::nullopt;
    }
    emit removedChanged();
    return restored;
}

qsizetype SyncService::removedKept() const {
    return static_cast<qsizetype>(RemovedTasks::kept(store_, board_.now()).size());
}

void SyncService::localChange() {
    if (connection_ && !sameTasks(board_.tasks(), seen_)) {
        edits_.note(seen_, board_.tasks(), board_.now());
        seen_ = board_.tasks();
        settle_.start();
    }
}

void SyncService::launch() {
    running_ = true;
    ++launches_;
    settle_.stop();
    sent_ = board_.tasks();
    seen_ = sent_;
    const SyncEngine::Deletions deletions =
        std::exchange(deletions_, SyncEngine::Deletions::Guarded);
    SyncState state = SyncState::load(store_);
    state.edited.merge(edits_);
    // Everything the sync needs goes with it by value: it may outlive this service.
    QMetaObject::invokeMethod(
        worker_.get(), [relay = relay_, round = round_, connection = *connection_, tasks = sent_,
                        state = std::move(state), now = board_.now(), backend = backend_,
                        bounds = ServerBounds{timing_.requestTimeout,
                                              ServerBounds::Clock::now() + timing_.syncTimeout,
                                              stopRunning_.get_token()},
                        deletions]() mutable {
            // A sync that fails before it reaches the server hands back the state it was
            // given: saving an empty one would forget every item and held deletion, and the
            // next sync would send deleted tasks up again.
            SyncEngine::Outcome outcome;
            outcome.state = std::move(state);
            Password password = connection.password();
            if (password.value) {
                {
                    auto remote = backend->open(connection.collection,
                                                {connection.user, *password.value}, bounds);
                    if (auto* client = std::get_if<std::unique_ptr<RemoteCollection>>(&remote)) {
                        outcome = SyncEngine::run(**client, tasks, std::move(outcome.state), now,
                                                  deletions);
                    } else {
                        outcome.failure = std::get<QString>(remote);
                    }
                }
                // Read again for the next sync: nothing keeps it in between.
                SyncPassword::wipe(*password.value);
            } else {
                outcome.failure = password.failure;
            }
            relay->deliver(std::move(outcome), deletions, round);
        });
}

void SyncService::finish(SyncEngine::Outcome outcome, SyncEngine::Deletions deletions,
                         unsigned round) {
    running_ = false;
    // Stopped or started afresh meanwhile: the outcome belongs to a former connection.
    if (round == round_) {
        if (!keep(outcome) && deletions == SyncEngine::Deletions::Accepted) {
            // The user's word holds for the sync that takes this one's place.
            deletions_ = deletions;
        }
        // A sync that failed before it compared anything leaves what was held as it was.
        if (outcome.failure.isEmpty() || outcome.held > 0) {
            held_ = outcome.held;
        }
        setStatus(statusOf(outcome, board_.now()));
    }
    ++ended_;
    emit syncFinished();
    if (std::exchange(again_, false) || round != round_) {
        syncNow();
    }
}

// The state describes the server against the tasks the sync started from. It is saved only
// once those tasks (with what the server sent) are stored: tasks first, so that a kill in
// between leaves an older state, which the next sync reconciles without loss.
bool SyncService::keep(SyncEngine::Outcome& outcome) {
    const bool editedMeanwhile = !sameTasks(board_.tasks(), sent_);
    if (outcome.tasks && editedMeanwhile) {
        // Newer edits here: merge them with the server's news in another sync.
        settle_.start();
        return false;
    }
    // What leaves the list is kept first, so that no kill in between loses it.
    if (!outcome.removed.empty() && !RemovedTasks::add(store_, outcome.removed, board_.now())) {
        outcome.failure = QStringLiteral("the tasks it would remove could not be kept aside");
        return false;
    }
    if (!outcome.removed.empty()) {
        emit removedChanged();
    }
    if (outcome.tasks) {
        seen_ = *outcome.tasks;
        board_.replaceTasks(std::move(*outcome.tasks));
    }
    // Without news from the server, the state still fits: the newer edits build on the
    // tasks it describes and go out with the next sync.
    // Changes seen while it ran, and those it did not settle, keep their times.
    outcome.state.edited.merge(edits_);
    if (board_.tasksSaved()) {
        if (outcome.state.save(store_)) {
            edits_ = {};
        } else {
            Console::printLine(
                QStringLiteral("Sync state not saved; the next sync compares again"));
        }
    }
    return true;
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
