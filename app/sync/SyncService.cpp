#include "sync/SyncService.h"

#include "support/Console.h"
#include "tasks/TaskBoard.h"

#include <QDateTime>

#include <algorithm>
#include <tuple>

namespace {

auto fieldsOf(const Task& t) {
    return std::tie(t.id, t.name, t.created, t.isSnoozed, t.snoozedUntil, t.isTutorial, t.isDone,
                    t.doneDate);
}

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
    return a.size() == b.size() && std::ranges::equal(byId(a), byId(b), [](auto* x, auto* y) {
               return fieldsOf(*x) == fieldsOf(*y);
           });
}

QString syncedAt(Date when) {
    const auto seconds = static_cast<qint64>(when.unixSeconds());
    return QStringLiteral("Synced ") +
           QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("HH:mm"));
}

} // namespace

SyncService::SyncService(TaskBoard& board, PreferenceStore store, Timing timing, QObject* parent)
    : QObject(parent)
    , board_(board)
    , store_(std::move(store))
    , timing_(timing) {
    settle_.setSingleShot(true);
    settle_.setInterval(timing_.settle);
    interval_.setInterval(timing_.interval);
    connect(&settle_, &QTimer::timeout, this, &SyncService::syncNow);
    connect(&interval_, &QTimer::timeout, this, &SyncService::syncNow);
    connect(&board_, &TaskBoard::changed, this, &SyncService::localChange);
    worker_.moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("sync"));
}

SyncService::~SyncService() {
    thread_.quit();
    thread_.wait();
}

void SyncService::start(Connection connection) {
    // Only a machine that syncs pays for the thread.
    if (!thread_.isRunning()) {
        thread_.start();
    }
    connection_ = std::move(connection);
    ++round_;
    again_ = false;
    interval_.start();
    syncNow();
}

void SyncService::stop() {
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
    const unsigned round = round_;
    QMetaObject::invokeMethod(&worker_, [this, round, connection = *connection_, tasks = sent_,
                                         state = SyncState::load(store_), now = board_.now(),
                                         timeout = timing_.requestTimeout]() mutable {
        SyncEngine::Outcome outcome;
        Password password = connection.password();
        if (password.value) {
            {
                CalDavClient client(connection.collection, {connection.user, *password.value},
                                    timeout);
                outcome = SyncEngine::run(client, tasks, std::move(state), now);
            }
            // Read again for the next sync: nothing keeps it in between.
            SyncPassword::wipe(*password.value);
        } else {
            outcome.failure = password.failure;
        }
        QMetaObject::invokeMethod(this, [this, outcome = std::move(outcome), round]() mutable {
            finish(std::move(outcome), round);
        });
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
