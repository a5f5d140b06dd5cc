#pragma once

#include "store/Models.h"
#include "store/PreferenceStore.h"
#include "sync/EditTimes.h"
#include "sync/SyncBackend.h"
#include "sync/SyncEngine.h"
#include "sync/SyncPassword.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

class TaskSource;

// When the sync runs.
struct SyncTiming {
    // How long the list stays unchanged before a change goes out.
    std::chrono::milliseconds settle{std::chrono::seconds(3)};
    std::chrono::milliseconds interval{std::chrono::minutes(5)};
    // How long one request may take, start to end, before the sync counts as failed.
    std::chrono::milliseconds requestTimeout{std::chrono::seconds(30)};
    // How long a whole sync may take.
    std::chrono::milliseconds syncTimeout{std::chrono::minutes(2)};
    // How long quitting waits for the sync thread to end.
    std::chrono::milliseconds quitPatience{std::chrono::milliseconds(1500)};
};

// Keeps the task list and one collection on a server in step: a sync at start, a few
// seconds after each local change and at a steady interval, one at a time, each on a
// thread of its own so that no window waits for the network.
class SyncService : public QObject {
    Q_OBJECT
public:
    using Timing = SyncTiming;
    using Password = SyncPassword::Lookup;
    // Where and as whom. The password is looked up on the sync's thread at every sync, so a
    // changed one is used from the next.
    struct Connection {
        QUrl collection;
        QString user;
        std::function<Password()> password;
    };

    // Syncs reach the server through `backend`, which each one keeps while it runs.
    SyncService(TaskSource& board, std::shared_ptr<SyncBackend> backend, PreferenceStore store,
                Timing timing = {}, QObject* parent = nullptr);
    // Stops a running sync and waits for its thread, at most `quitPatience`; a thread that
    // does not end by then is left to end on its own, reporting to nobody.
    ~SyncService() override;

    // Syncs now and from then on; a running sync for a former connection is stopped.
    void syncWith(Connection connection);
    // No more syncs; a running one is stopped and what it brings back is disregarded.
    void stopSyncing();
    bool isActive() const { return connection_.has_value(); }
    SyncBackend& backend() const { return *backend_; }
    // One sync as soon as the running one (if any) ends.
    void syncNow();
    // The same, removing here the tasks the server no longer lists, however many.
    void acceptDeletions();
    // How many removals the last sync held back for the user's word.
    qsizetype heldDeletions() const { return held_; }
    // Puts back the kept tasks that syncs removed (and that are not in the list), which the
    // next sync sends up again. Answers how many, or nullopt when the store refused.
    std::optional<qsizetype> restoreRemoved();
    // How many removed tasks are kept to be brought back.
    qsizetype removedKept() const;

    // "Synced HH:MM", "Sync failed: <reason>", the removals held back, or empty before the
    // first sync ends.
    const QString& status() const { return status_; }
    // The last sync went through; removals held back for the user's word are no fault.
    bool succeeded() const { return status_.startsWith(u"Synced") || held_ > 0; }

    // Syncs are numbered as they start. Right after syncNow(): the number of the sync that
    // carries the request, which has ended once ended() reaches it.
    unsigned requestedSync() const { return running_ && again_ ? launches_ + 1 : launches_; }
    unsigned ended() const { return ended_; }

signals:
    void statusChanged(const QString& status);
    // Each sync's end, whether its outcome was put in place or not.
    void syncFinished();
    // The kept removed tasks changed.
    void removedChanged();

private:
    // Hands a sync's outcome from its thread to the service, while there is one.
    struct Relay;

    void localChange();
    // Asks the running sync, if any, to end at its next step.
    void cancel();
    void launch();
    void finish(SyncEngine::Outcome outcome, SyncEngine::Deletions deletions, unsigned round);
    // False when the outcome is set aside for another sync.
    bool keep(SyncEngine::Outcome& outcome);
    void setStatus(const QString& status);

    TaskSource& board_;
    std::shared_ptr<SyncBackend> backend_;
    PreferenceStore store_;
    Timing timing_;
    std::optional<Connection> connection_;
    QTimer settle_;
    QTimer interval_;
    std::unique_ptr<QThread> thread_;
    // Lives on `thread_`; the syncs run in its event loop.
    std::unique_ptr<QObject> worker_;
    std::shared_ptr<Relay> relay_;
    std::stop_source stopRunning_;
    // The list as the running sync read it, and as last seen here.
    std::vector<Task> sent_;
    std::vector<Task> seen_;
    // When each change here was seen, until a saved sync state holds it.
    EditTimes edits_;
    bool running_ = false;
    bool again_ = false;
    unsigned launches_ = 0;
    unsigned ended_ = 0;
    SyncEngine::Deletions deletions_ = SyncEngine::Deletions::Guarded;
    qsizetype held_ = 0;
    // Counts starts and stops, so that a sync for a former connection is told apart.
    unsigned round_ = 0;
    QString status_;
};
