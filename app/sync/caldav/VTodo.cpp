#include "sync/caldav/VTodo.h"

#include "support/FieldCount.h"
#include "sync/caldav/ContentLines.h"

#include <libical/ical.h>

#include <cmath>
#include <memory>

namespace {

constexpr const char* snoozedName = "X-QUENBY-SNOOZED";
constexpr const char* prodId = "-//Quenby//Quenby//EN";

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// Derives ids for UIDs that are not UUIDs, so another client's task keeps one id here.
const QUuid uidNamespace{QStringLiteral("6f1c2a5e-8d1b-4a59-9c53-2f0e7b3d4a10")};

icaltimetype toIcal(Date date) {
    const auto seconds = static_cast<time_t>(std::floor(date.unixSeconds()));
    return icaltime_from_timet_with_zone(seconds, 0, icaltimezone_get_utc_timezone());
}

// Floating times and dates are read as UTC: a task's times are instants.
std::optional<Date> toDate(icaltimetype time) {
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time)) {
        return std::nullopt;
    }
    const icaltimezone* zone = time.zone ? time.zone : icaltimezone_get_utc_timezone();
    return Date::fromUnixSeconds(static_cast<double>(icaltime_as_timet_with_zone(time, zone)));
}

icalproperty* findX(icalcomponent* todo, const char* name) {
    for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(todo, ICAL_X_PROPERTY)) {
        if (qstricmp(icalproperty_get_x_name(p), name) == 0) {
            return p;
        }
    }
    return nullptr;
}

// libical builds and frees nested components recursively, so deep nesting would overflow
// the stack: count BEGIN and END lines before it sees them.
bool nestedTooDeep(const QByteArray& ics) {
    int depth = 0;
    for (qsizetype at = 0; at < ics.size();) {
        qsizetype end = ics.indexOf('\n', at);
        end = end < 0 ? ics.size() : end;
        const QByteArrayView line(ics.constData() + at, end - at);
        const qsizetype colon = line.indexOf(':');
        const QByteArrayView name = line.first(colon < 0 ? line.size() : colon).trimmed();
        if (name.compare("BEGIN", Qt::CaseInsensitive) == 0 && ++depth > VTodo::maxNesting) {
            return true;
        }
        if (name.compare("END", Qt::CaseInsensitive) == 0) {
            --depth;
        }
        at = end + 1;
    }
    return false;
}

Component parse(const QByteArray& ics) {
    if (nestedTooDeep(ics)) {
        return nullptr;
    }
    Component parsed{icalparser_parse_string(ics.constData())};
    if (parsed && icalcomponent_isa(parsed.get()) == ICAL_VTODO_COMPONENT) {
        Component calendar{icalcomponent_new_vcalendar()};
        icalcomponent_add_component(calendar.get(), parsed.release());
        return calendar;
    }
    if (parsed && icalcomponent_isa(parsed.get()) != ICAL_VCALENDAR_COMPONENT) {
        return nullptr;
    }
    return parsed;
}

icalcomponent* firstTodo(icalcomponent* calendar) {
    return icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT);
}

QByteArray icalText(char* text) {
    QByteArray result(text);
    icalmemory_free_buffer(text);
    return result;
}

Component emptyCalendar() {
    Component calendar{icalcomponent_new_vcalendar()};
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(prodId));
    icalcomponent_add_component(calendar.get(), icalcomponent_new_vtodo());
    return calendar;
}

// The properties a task sets, as content lines, and the names of those they replace.
struct Rewrite {
    QList<QByteArray> drop;
    QByteArray add;

    void remove(const char* name) { drop.append(name); }
    // Takes `property`.
    void set(icalproperty* property) {
        remove(icalproperty_get_property_name(property));
        add += icalText(icalproperty_as_ical_string_r(property));
        icalproperty_free(property);
    }
};

void writeStatus(Rewrite& r, icalcomponent* todo, const Task& task) {
    r.remove("COMPLETED");
    if (task.isDone) {
        r.set(icalproperty_new_status(ICAL_STATUS_COMPLETED));
        if (task.doneDate) {
            r.set(icalproperty_new_completed(toIcal(*task.doneDate)));
        }
        return;
    }
    // Another client's "in process" or "cancelled" is not Quenby's to overwrite.
    icalproperty* status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
    if (!status || icalproperty_get_status(status) == ICAL_STATUS_COMPLETED) {
        r.set(icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    }
}

// A snooze is the start other clients hide a task until; the mark says the start is
// Quenby's, so that ending the snooze removes only a start Quenby set.
void writeSnooze(Rewrite& r, icalcomponent* todo, const Task& task) {
    r.remove(snoozedName);
    if (findX(todo, snoozedName) || task.snoozedUntil) {
        r.remove("DTSTART");
    }
    if (!task.isSnoozed) {
        return;
    }
    if (task.snoozedUntil) {
        r.set(icalproperty_new_dtstart(toIcal(*task.snoozedUntil)));
    }
    icalproperty* mark = icalproperty_new_x("TRUE");
    icalproperty_set_x_name(mark, snoozedName);
    r.set(mark);
}

QString text(const char* value) {
    return value ? QString::fromUtf8(value) : QString();
}

std::optional<Date> timeOf(icalcomponent* todo, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(todo, kind);
    return p ? toDate(icalproperty_get_datetime_with_component(p, todo)) : std::nullopt;
}

bool readDone(icalcomponent* todo) {
    icalproperty* status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
    if (status) {
        return icalproperty_get_status(status) == ICAL_STATUS_COMPLETED;
    }
    return icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY) != nullptr;
}

} // namespace

namespace VTodo {

QUuid taskId(const QString& uid) {
    const QByteArray utf8 = uid.toUtf8();
    if (const auto id = Json::parseUuid({utf8.constData(), static_cast<size_t>(utf8.size())})) {
        return *id;
    }
    return QUuid::createUuidV5(uidNamespace, uid);
}

QByteArray write(const Task& task, Date modified, const QByteArray& previous) {
    // The id is the UID and a tutorial is never written; every other field has its property.
    static_assert(FieldCount::of<Task>() == 8, "a new task field needs its property here");
    Component calendar = previous.isEmpty() ? nullptr : parse(previous);
    QByteArray base = previous;
    if (!calendar || !firstTodo(calendar.get())) {
        calendar = emptyCalendar();
        base = icalText(icalcomponent_as_ical_string_r(calendar.get()));
    }
    icalcomponent* todo = firstTodo(calendar.get());

    Rewrite r;
    icalproperty* uid = icalcomponent_get_first_property(todo, ICAL_UID_PROPERTY);
    if (!uid || taskId(text(icalproperty_get_uid(uid))) != task.id) {
        r.set(icalproperty_new_uid(Json::uuidText(task.id).constData()));
    }
    r.set(icalproperty_new_summary(task.name.toUtf8().constData()));
    r.set(icalproperty_new_created(toIcal(task.created)));
    r.set(icalproperty_new_dtstamp(toIcal(task.created)));
    r.set(icalproperty_new_lastmodified(toIcal(modified)));
    writeStatus(r, todo, task);
    writeSnooze(r, todo, task);
    return ContentLines::spliceTodo(base, r.drop, r.add);
}

std::variant<Resource, QString> read(const QByteArray& ics) {
    if (nestedTooDeep(ics)) {
        return QStringLiteral("components nested deeper than %1").arg(maxNesting);
    }
    const Component calendar = parse(ics);
    icalcomponent* todo = calendar ? firstTodo(calendar.get()) : nullptr;
    if (!todo) {
        return QStringLiteral("no VTODO in the resource");
    }
    icalproperty* uid = icalcomponent_get_first_property(todo, ICAL_UID_PROPERTY);
    const QString uidText = uid ? text(icalproperty_get_uid(uid)) : QString();
    if (uidText.isEmpty()) {
        return QStringLiteral("a VTODO without a UID");
    }

    Resource r;
    r.task.id = taskId(uidText);
    icalproperty* summary = icalcomponent_get_first_property(todo, ICAL_SUMMARY_PROPERTY);
    r.task.name = summary ? text(icalproperty_get_summary(summary)) : QString();
    if (r.task.name.size() > maxSummary) {
        return QStringLiteral("a SUMMARY longer than %1 characters").arg(maxSummary);
    }
    r.lastModified = timeOf(todo, ICAL_LASTMODIFIED_PROPERTY);
    r.task.created = timeOf(todo, ICAL_CREATED_PROPERTY)
                         .value_or(timeOf(todo, ICAL_DTSTAMP_PROPERTY).value_or(Date{}));
    r.task.isDone = readDone(todo);
    r.task.doneDate = r.task.isDone ? timeOf(todo, ICAL_COMPLETED_PROPERTY) : std::nullopt;
    if (icalproperty* mark = findX(todo, snoozedName)) {
        r.task.isSnoozed = qstricmp(icalproperty_get_x(mark), "TRUE") == 0;
    }
    if (r.task.isSnoozed) {
        r.task.snoozedUntil = timeOf(todo, ICAL_DTSTART_PROPERTY);
    }
    return r;
}

} // namespace VTodo
