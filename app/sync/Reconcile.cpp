#include "sync/Reconcile.h"

#include "support/FieldCount.h"

#include <array>
#include <cmath>

namespace {

std::optional<double> seconds(const std::optional<Date>& date) {
    if (!date) {
        return std::nullopt;
    }
    return std::floor(date->secondsSinceReferenceDate);
}

// The fields a task syncs, each merged on its own: comparing and copying one.
struct Field {
    bool (*same)(const Task&, const Task&);
    void (*copy)(Task& to, const Task& from);
};

// The id is the task's identity and a tutorial never syncs; the rest is merged here.
static_assert(FieldCount::of<Task>() == 8, "a new task field needs its merge rule here");
const std::array<Field, 4> fields{{
    {[](const Task& a, const Task& b) { return a.name == b.name; },
     [](Task& to, const Task& from) { to.name = from.name; }},
    {[](const Task& a, const Task& b) { return seconds(a.created) == seconds(b.created); },
     [](Task& to, const Task& from) { to.created = from.created; }},
    {[](const Task& a, const Task& b) {
         return a.isDone == b.isDone && seconds(a.doneDate) == seconds(b.doneDate);
     },
     [](Task& to, const Task& from) {
         to.isDone = from.isDone;
         to.doneDate = from.doneDate;
     }},
    {[](const Task& a, const Task& b) {
         return a.isSnoozed == b.isSnoozed && seconds(a.snoozedUntil) == seconds(b.snoozedUntil);
     },
     [](Task& to, const Task& from) {
         to.isSnoozed = from.isSnoozed;
         to.snoozedUntil = from.snoozedUntil;
     }},
}};

// Starts from this device's task and takes each field the server changed, unless this
// device changed it later. Without a base every differing field counts as changed on both.
Task merge(const std::optional<Task>& base, const Task& local, Date localModified,
           const Task& remote, Date remoteModified) {
    Task result = local;
    for (const Field& f : fields) {
        const bool localChanged = !base || !f.same(local, *base);
        const bool remoteChanged = !base || !f.same(remote, *base);
        if (remoteChanged && (!localChanged || remoteModified >= localModified)) {
            f.copy(result, remote);
        }
    }
    return result;
}

bool same(const std::optional<Task>& a, const std::optional<Task>& b) {
    return a.has_value() == b.has_value() && (!a || Reconcile::sameTask(*a, *b));
}

} // namespace

namespace Reconcile {

bool sameTask(const Task& a, const Task& b) {
    for (const Field& f : fields) {
        if (!f.same(a, b)) {
            return false;
        }
    }
    return a.id == b.id;
}

Outcome reconcile(const Versions& v) {
    Outcome out;
    if (v.local && v.remote) {
        out.result = merge(v.base, *v.local, v.localModified, *v.remote, v.remoteModified);
    } else if (!v.base) {
        out.result = v.local ? v.local : v.remote;
    } else if (v.local) {
        // Gone from the server: kept (and sent again) only if changed here since.
        out.result = sameTask(*v.local, *v.base) ? std::nullopt : v.local;
    } else if (v.remote) {
        out.result = sameTask(*v.remote, *v.base) ? std::nullopt : v.remote;
    }
    out.push = !same(out.result, v.remote);
    out.pull = !same(out.result, v.local);
    return out;
}

} // namespace Reconcile
