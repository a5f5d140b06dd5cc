#include "sync/SyncEngine.h"

#include "support/Console.h"
#include "sync/Reconcile.h"

#include <QHash>
#include <QSet>

namespace {

using Failure = RemoteCollection::Failure;

// A server copy that changed since the last sync.
struct Remote {
    Task task;
    Date modified;
    RemoteCollection::Resource resource;
};

std::optional<Task> taskIn(const RemoteCollection& collection, const QByteArray& body) {
    const auto read = collection.read(body);
    const auto* entry = std::get_if<RemoteCollection::Entry>(&read);
    return entry ? std::optional<Task>(entry->task) : std::nullopt;
}

QString describe(const Failure& f) {
    if (f.status == 401) {
        return QStringLiteral("wrong user name or password");
    }
    return f.reason;
}

// The server refuses the request itself, not the user or the moment.
bool isRefusal(const std::variant<RemoteCollection::Changes, Failure>& listed) {
    const auto* f = std::get_if<Failure>(&listed);
    return f && f->status / 100 == 4 && f->status != 401;
}

// The server refused a write because its copy moved on; the next sync merges and retries.
bool isConflict(const Failure& f) {
    return f.status == 412;
}

class Sync {
public:
    Sync(RemoteCollection& client, const std::vector<Task>& local, SyncState state, Date now,
         SyncEngine::Deletions deletions)
        : client_(client)
        , now_(now)
        , deletions_(deletions)
        , tasks_(local) {
        out_.state = std::move(state);
    }

    SyncEngine::Outcome run() {
        // Our own writes move the token on, and a token kept from before them can hide what
        // others did after: Xandikos's token is a hash of the collection, which comes back to
        // an earlier value when another client undoes what we wrote. So after writing, list
        // again for a token that covers our writes, and settle whatever that brings.
        for (int round = 0; round < maxRounds; ++round) {
            const std::optional<QString> token = syncRound();
            if (!token) {
                break;
            }
            out_.state.token = *token;
            if (written_.isEmpty() || token->isEmpty()) {
                break;
            }
        }
        // Local changes no round settled keep their times for the next sync.
        out_.state.edited.at.removeIf([this](const auto& edit) {
            return settled_.contains(edit.key()) || (listed_ && !candidates_.contains(edit.key()));
        });
        if (pulled_) {
            out_.tasks = std::move(tasks_);
        }
        return std::move(out_);
    }

private:
    static constexpr int maxRounds = 3;

    // Lists what changed and settles every task; answers the token to keep, none when the
    // current one must stay.
    std::optional<QString> syncRound() {
        const QString token = out_.state.token;
        auto listed = client_.changesSince(token);
        bool whole = token.isEmpty();
        // A token the server no longer knows: list everything instead.
        if (isRefusal(listed) && !token.isEmpty()) {
            listed = client_.changesSince({});
            whole = true;
        }
        // A server without sync reports: compare ETags instead.
        if (isRefusal(listed)) {
            QHash<QString, QByteArray> known;
            for (const SyncState::Item& item : out_.state.items) {
                known.insert(item.href, item.etag);
            }
            listed = client_.changesFrom(known);
            whole = false;
        }
        if (const auto* f = std::get_if<Failure>(&listed)) {
            out_.failure = describe(*f);
            return std::nullopt;
        }
        RemoteCollection::Changes& changes = std::get<RemoteCollection::Changes>(listed);
        readChanges(changes, whole);
        written_.clear();
        const std::vector<QUuid> ids = candidates();
        listed_ = true;
        candidates_ = QSet<QUuid>(ids.cbegin(), ids.cend());
        holdMassDeletion(ids);
        for (const QUuid& id : ids) {
            if (!out_.state.held.contains(id) && !settle(id)) {
                break;
            }
        }
        std::erase_if(tasks_, [this](const Task& t) {
            if (!removedHere_.contains(t.id)) {
                return false;
            }
            out_.removed.push_back(t);
            return true;
        });
        removedHere_.clear();
        remote_.clear();
        gone_.clear();
        position_.clear();
        // While removals are held the token stays, so that the server reports them again
        // (or no longer, if it lists those tasks again) until the user decides.
        if (!out_.failure.isEmpty() || !out_.state.held.isEmpty()) {
            return std::nullopt;
        }
        return changes.token;
    }

    void readChanges(RemoteCollection::Changes& changes, bool whole) {
        QHash<QString, QUuid> idByHref;
        for (auto it = out_.state.items.cbegin(); it != out_.state.items.cend(); ++it) {
            idByHref.insert(it->href, it.key());
        }
        // Left alone, but there: not gone.
        QSet<QString> listed(changes.skipped.cbegin(), changes.skipped.cend());
        for (RemoteCollection::Resource& r : changes.changed) {
            listed.insert(r.href);
            const auto known = out_.state.items.constFind(idByHref.value(r.href));
            if (known != out_.state.items.cend() && !r.etag.isEmpty() && known->etag == r.etag) {
                continue; // this device's own write
            }
            const auto read = client_.read(r.ics);
            if (const auto* why = std::get_if<QString>(&read)) {
                Console::printLine("Sync: skipped", r.href, *why);
                continue;
            }
            const auto& resource = std::get<RemoteCollection::Entry>(read);
            remote_.insert(resource.task.id,
                           {resource.task, resource.lastModified.value_or(now_), std::move(r)});
        }
        // A task whose UID is listed is there, whatever href it was known by.
        const auto markGone = [this](const QUuid& id) {
            if (!remote_.contains(id)) {
                gone_.insert(id);
            }
        };
        for (const QString& href : changes.removed) {
            if (idByHref.contains(href)) {
                markGone(idByHref.value(href));
            }
        }
        // A whole listing names everything there; one since a token names at least what we
        // wrote after it was issued, unless someone removed that meanwhile.
        for (auto it = idByHref.cbegin(); it != idByHref.cend(); ++it) {
            const bool named = whole || (written_.contains(it.key()) && !changes.token.isEmpty());
            if (named && !listed.contains(it.key())) {
                markGone(it.value());
            }
        }
    }

    // Every task either side holds or held at the last sync, this device's first.
    std::vector<QUuid> candidates() {
        std::vector<QUuid> ids;
        QSet<QUuid> seen;
        const auto add = [&](const QUuid& id) {
            if (!seen.contains(id)) {
                seen.insert(id);
                ids.push_back(id);
            }
        };
        for (std::size_t i = 0; i < tasks_.size(); ++i) {
            if (!tasks_[i].isTutorial) { // tutorial tasks stay on this device
                position_.insert(tasks_[i].id, i);
                add(tasks_[i].id);
            }
        }
        for (auto it = out_.state.items.cbegin(); it != out_.state.items.cend(); ++it) {
            add(it.key());
        }
        for (auto it = remote_.cbegin(); it != remote_.cend(); ++it) {
            add(it.key());
        }
        return ids;
    }

    Reconcile::Versions versions(const QUuid& id) const {
        const auto known = out_.state.items.constFind(id);
        const auto changed = remote_.constFind(id);
        const bool isChanged = changed != remote_.cend();
        Reconcile::Versions v;
        v.base = known != out_.state.items.cend() ? taskIn(client_, known->ics) : std::nullopt;
        if (position_.contains(id)) {
            v.local = tasks_[position_.value(id)];
        }
        v.localModified = out_.state.edited.of(id, now_);
        if (!gone_.contains(id)) {
            v.remote = isChanged ? std::optional<Task>(changed->task) : v.base;
        }
        v.remoteModified = isChanged ? changed->modified : now_;
        return v;
    }

    // Holds back the removals here when they are most of the synced tasks, and keeps holding
    // those held before, whatever their share now, until the user accepts.
    void holdMassDeletion(const std::vector<QUuid>& ids) {
        QSet<QUuid> removals;
        for (const QUuid& id : ids) {
            // Only what the server no longer lists can leave here.
            if (gone_.contains(id) && position_.contains(id) &&
                !Reconcile::reconcile(versions(id)).result) {
                removals.insert(id);
            }
        }
        out_.synced = static_cast<qsizetype>(position_.size());
        QSet<QUuid>& held = out_.state.held;
        if (deletions_ == SyncEngine::Deletions::Accepted) {
            held.clear();
            return;
        }
        held.intersect(removals);
        const QSet<QUuid> fresh = removals - held;
        if (fresh.size() >= SyncEngine::massDeletion && fresh.size() * 2 > out_.synced) {
            held.unite(fresh);
        }
        out_.held = held.size();
    }

    // Brings one task to the same state on both sides; false when the sync must stop.
    bool settle(const QUuid& id) {
        const auto known = out_.state.items.constFind(id);
        const bool isKnown = known != out_.state.items.cend();
        const auto changed = remote_.constFind(id);
        const bool isChanged = changed != remote_.cend();
        const Reconcile::Versions v = versions(id);
        const Reconcile::Outcome outcome = Reconcile::reconcile(v);

        SyncState::Item server = isChanged ? changed->resource : RemoteCollection::Resource{};
        if (!isChanged && isKnown) {
            server = *known;
        }
        std::optional<Task> result = outcome.result;
        bool pull = outcome.pull;
        if (outcome.push) {
            // The written copy holds the later of the two sides' changes.
            const Date modified =
                isChanged ? std::max(v.localModified, v.remoteModified) : v.localModified;
            const std::optional<Failure> failed = push(id, result, server, v.remote, modified);
            if (failed) {
                out_.failure = describe(*failed);
                return isConflict(*failed);
            }
            pull = pull || (result && v.local && !Reconcile::sameTask(*result, *v.local));
        } else if (result && isChanged) {
            out_.state.items.insert(id, server);
        } else if (!result) {
            out_.state.items.remove(id);
        }
        if (pull) {
            this->pull(id, result);
        }
        settled_.insert(id);
        return true;
    }

    // Writes `result` (or deletes it), which becomes what the written copy reads as: a
    // recurring task done here comes back as its next occurrence.
    std::optional<Failure> push(const QUuid& id, std::optional<Task>& result,
                                const SyncState::Item& server, const std::optional<Task>& remote,
                                Date modified) {
        const QByteArray etag = remote ? server.etag : QByteArray();
        if (!result) {
            const auto removed = client_.remove(server.href, etag);
            if (const auto* f = std::get_if<Failure>(&removed)) {
                return *f;
            }
            out_.state.items.remove(id);
            return std::nullopt;
        }
        const QString href = server.href.isEmpty()
                                 ? client_.hrefFor(id.toString(QUuid::WithoutBraces))
                                 : server.href;
        const QByteArray ics = client_.write(*result, {modified, now_}, server.ics);
        const auto written = client_.put(href, ics, etag);
        if (const auto* f = std::get_if<Failure>(&written)) {
            return *f;
        }
        out_.state.items.insert(id, {href, std::get<QByteArray>(written), ics});
        written_.insert(href);
        result = taskIn(client_, ics).value_or(*result);
        return std::nullopt;
    }

    void pull(const QUuid& id, const std::optional<Task>& result) {
        pulled_ = true;
        if (!result) {
            removedHere_.insert(id);
        } else if (position_.contains(id)) {
            tasks_[position_.value(id)] = *result;
        } else {
            position_.insert(id, tasks_.size());
            tasks_.push_back(*result);
        }
    }

    RemoteCollection& client_;
    Date now_;
    SyncEngine::Deletions deletions_;
    std::vector<Task> tasks_;
    SyncEngine::Outcome out_;
    QHash<QUuid, Remote> remote_;
    QSet<QUuid> gone_;
    QHash<QUuid, std::size_t> position_;
    QSet<QUuid> removedHere_;
    // The hrefs this round wrote; every task a round went through, and those it settled.
    QSet<QString> written_;
    bool listed_ = false;
    QSet<QUuid> candidates_;
    QSet<QUuid> settled_;
    bool pulled_ = false;
};

} // namespace

namespace SyncEngine {

Outcome run(RemoteCollection& collection, const std::vector<Task>& local, SyncState state, Date now,
            Deletions deletions) {
    return Sync(collection, local, std::move(state), now, deletions).run();
}

} // namespace SyncEngine
