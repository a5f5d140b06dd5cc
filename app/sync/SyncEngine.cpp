#include "sync/SyncEngine.h"

#include "support/Console.h"
#include "sync/Reconcile.h"
#include "sync/VTodo.h"

#include <QHash>
#include <QSet>

namespace {

using Failure = CalDavClient::Failure;

// A server copy that changed since the last sync.
struct Remote {
    Task task;
    Date modified;
    CalDavClient::Resource resource;
};

std::optional<Task> taskIn(const QByteArray& ics) {
    const auto read = VTodo::read(ics);
    const auto* resource = std::get_if<VTodo::Resource>(&read);
    return resource ? std::optional<Task>(resource->task) : std::nullopt;
}

QString describe(const Failure& f) {
    if (f.status == 401) {
        return QStringLiteral("wrong user name or password");
    }
    return f.reason;
}

// The server refuses the request itself, not the user or the moment.
bool isRefusal(const std::variant<CalDavClient::Changes, Failure>& listed) {
    const auto* f = std::get_if<Failure>(&listed);
    return f && f->status / 100 == 4 && f->status != 401;
}

// The server refused a write because its copy moved on; the next sync merges and retries.
bool isConflict(const Failure& f) {
    return f.status == 412;
}

class Sync {
public:
    Sync(CalDavClient& client, const std::vector<Task>& local, SyncState state, Date now)
        : client_(client)
        , now_(now)
        , tasks_(local) {
        out_.state = std::move(state);
    }

    SyncEngine::Outcome run() {
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
            return std::move(out_);
        }
        CalDavClient::Changes& changes = std::get<CalDavClient::Changes>(listed);
        readChanges(changes, whole);
        for (const QUuid& id : candidates()) {
            if (!settle(id)) {
                break;
            }
        }
        if (out_.failure.isEmpty()) {
            out_.state.token = changes.token;
        }
        if (pulled_) {
            std::erase_if(tasks_, [this](const Task& t) { return removedHere_.contains(t.id); });
            out_.tasks = std::move(tasks_);
        }
        return std::move(out_);
    }

private:
    void readChanges(CalDavClient::Changes& changes, bool whole) {
        QHash<QString, QUuid> idByHref;
        for (auto it = out_.state.items.cbegin(); it != out_.state.items.cend(); ++it) {
            idByHref.insert(it->href, it.key());
        }
        // Left alone, but there: not gone.
        QSet<QString> listed(changes.skipped.cbegin(), changes.skipped.cend());
        for (CalDavClient::Resource& r : changes.changed) {
            listed.insert(r.href);
            const auto known = out_.state.items.constFind(idByHref.value(r.href));
            if (known != out_.state.items.cend() && !r.etag.isEmpty() && known->etag == r.etag) {
                continue; // this device's own write
            }
            const auto read = VTodo::read(r.ics);
            if (const auto* why = std::get_if<QString>(&read)) {
                Console::printLine("Sync: skipped", r.href, *why);
                continue;
            }
            const auto& resource = std::get<VTodo::Resource>(read);
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
        if (whole) {
            for (auto it = idByHref.cbegin(); it != idByHref.cend(); ++it) {
                if (!listed.contains(it.key())) {
                    markGone(it.value());
                }
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
            if (VTodo::isSynced(tasks_[i])) {
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

    // Brings one task to the same state on both sides; false when the sync must stop.
    bool settle(const QUuid& id) {
        const auto known = out_.state.items.constFind(id);
        const bool isKnown = known != out_.state.items.cend();
        const auto changed = remote_.constFind(id);
        const bool isChanged = changed != remote_.cend();

        Reconcile::Versions v;
        v.base = isKnown ? taskIn(known->ics) : std::nullopt;
        if (position_.contains(id)) {
            v.local = tasks_[position_.value(id)];
        }
        v.localModified = now_;
        if (!gone_.contains(id)) {
            v.remote = isChanged ? std::optional<Task>(changed->task) : v.base;
        }
        v.remoteModified = isChanged ? changed->modified : now_;
        const Reconcile::Outcome outcome = Reconcile::reconcile(v);

        SyncState::Item server = isChanged ? changed->resource : CalDavClient::Resource{};
        if (!isChanged && isKnown) {
            server = *known;
        }
        if (outcome.push) {
            const std::optional<Failure> failed = push(id, outcome.result, server, v.remote);
            if (failed) {
                out_.failure = describe(*failed);
                return isConflict(*failed);
            }
        } else if (outcome.result && isChanged) {
            out_.state.items.insert(id, server);
        } else if (!outcome.result) {
            out_.state.items.remove(id);
        }
        if (outcome.pull) {
            pull(id, outcome.result);
        }
        return true;
    }

    std::optional<Failure> push(const QUuid& id, const std::optional<Task>& result,
                                const SyncState::Item& server, const std::optional<Task>& remote) {
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
        const QByteArray ics = VTodo::write(*result, now_, server.ics);
        const auto written = client_.put(href, ics, etag);
        if (const auto* f = std::get_if<Failure>(&written)) {
            return *f;
        }
        out_.state.items.insert(id, {href, std::get<QByteArray>(written), ics});
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

    CalDavClient& client_;
    Date now_;
    std::vector<Task> tasks_;
    SyncEngine::Outcome out_;
    QHash<QUuid, Remote> remote_;
    QSet<QUuid> gone_;
    QHash<QUuid, std::size_t> position_;
    QSet<QUuid> removedHere_;
    bool pulled_ = false;
};

} // namespace

namespace SyncEngine {

Outcome run(CalDavClient& client, const std::vector<Task>& local, SyncState state, Date now) {
    return Sync(client, local, std::move(state), now).run();
}

} // namespace SyncEngine
