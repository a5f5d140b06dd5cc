#include "sync/caldav/VTodo.h"

#include "support/FieldCount.h"
#include "sync/caldav/ContentLines.h"

#include <QDateTime>
#include <QTimeZone>

#include <libical/ical.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The snooze's wake time, exact and in UTC; its X-QUENBY-START parameter names the start
// Quenby wrote with it, when it wrote one.
constexpr const char* snoozedName = "X-QUENBY-SNOOZED";
constexpr const char* ownStartName = "X-QUENBY-START";
constexpr const char* prodId = "-//Quenby//Quenby//EN";
// No snooze lasts this long: a later wake time is another client's way of saying "never".
constexpr int lastWakeYear = 2100;
constexpr int maxRecurrenceSteps = 1000;

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

// Floating times and dates are the user's own clock: a date starts at local midnight.
std::optional<Date> toDate(icaltimetype time) {
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time)) {
        return std::nullopt;
    }
    // libical takes a 41st month or a 25th hour as given and counts on from it; a leap
    // second is the second before.
    const QDate day(time.year, time.month, time.day);
    const QTime clock =
        time.is_date ? QTime(0, 0) : QTime(time.hour, time.minute, std::min(time.second, 59));
    if (!day.isValid() || !clock.isValid()) {
        return std::nullopt;
    }
    if (time.zone) {
        return Date::fromUnixSeconds(
            static_cast<double>(icaltime_as_timet_with_zone(time, time.zone)));
    }
    const QDateTime local(day, clock, Qt::LocalTime);
    if (!local.isValid()) {
        return std::nullopt;
    }
    return Date::fromUnixSeconds(static_cast<double>(local.toSecsSinceEpoch()));
}

// The local day `date` falls on, as an iCalendar date.
icaltimetype localDay(Date date) {
    const QDate day =
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(date.unixSeconds()))).date();
    icaltimetype t = icaltime_null_date();
    t.year = day.year();
    t.month = day.month();
    t.day = day.day();
    return t;
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

icalparameter* findXParameter(icalproperty* p, const char* name) {
    for (icalparameter* param = icalproperty_get_first_parameter(p, ICAL_X_PARAMETER); param;
         param = icalproperty_get_next_parameter(p, ICAL_X_PARAMETER)) {
        if (qstricmp(icalparameter_get_xname(param), name) == 0) {
            return param;
        }
    }
    return nullptr;
}

QByteArray valueText(icalproperty* p) {
    return p ? QByteArray(icalproperty_get_value_as_string(p)) : QByteArray();
}

// The start is Quenby's when its snooze wrote it and no client changed it since. Marks
// written before the wake time moved into the mark ("TRUE") always came with their start.
bool startIsOurs(icalcomponent* todo) {
    icalproperty* mark = findX(todo, snoozedName);
    icalproperty* start = icalcomponent_get_first_property(todo, ICAL_DTSTART_PROPERTY);
    if (!mark || !start) {
        return false;
    }
    if (qstricmp(icalproperty_get_x(mark), "TRUE") == 0) {
        return true;
    }
    icalparameter* own = findXParameter(mark, ownStartName);
    return own && valueText(start) == icalparameter_get_xvalue(own);
}

icalproperty* withZoneOf(icalproperty* p, icalproperty* from) {
    if (icalparameter* tzid = icalproperty_get_first_parameter(from, ICAL_TZID_PARAMETER)) {
        icalproperty_add_parameter(p, icalparameter_new_clone(tzid));
    }
    return p;
}

// The start other clients hide a task until, for a wake time: of the due date's value type
// and before it, as RFC 5545 asks (todoman drops a start that is not).
icalproperty* startFor(icalcomponent* todo, Date wake) {
    icalproperty* due = icalcomponent_get_first_property(todo, ICAL_DUE_PROPERTY);
    const icaltimetype dueTime =
        due ? icalproperty_get_datetime_with_component(due, todo) : icaltime_null_time();
    const std::optional<Date> dueDate = due ? toDate(dueTime) : std::nullopt;
    const icaltimetype start = dueDate && dueTime.is_date ? localDay(wake) : toIcal(wake);
    if (dueDate && toDate(start) >= dueDate) {
        icaldurationtype before = icaldurationtype_null_duration();
        before.is_neg = 1;
        (dueTime.is_date ? before.days : before.seconds) = 1;
        return withZoneOf(icalproperty_new_dtstart(icaltime_add(dueTime, before)), due);
    }
    return icalproperty_new_dtstart(start);
}

// A snooze is the start other clients hide a task until, when the start is free; a start
// another client set is theirs and stays as it is. The mark holds the exact wake time,
// which a start of date type or one capped at the due date cannot.
void writeSnooze(Rewrite& r, icalcomponent* todo, const Task& task) {
    r.remove(snoozedName);
    const bool ours = startIsOurs(todo);
    if (ours) {
        r.remove("DTSTART");
    }
    // A snooze without a wake time would read back as none: it stays on this device.
    if (!task.isSnoozed || !task.snoozedUntil) {
        return;
    }
    icalproperty* mark = icalproperty_new_x(icaltime_as_ical_string(toIcal(*task.snoozedUntil)));
    icalproperty_set_x_name(mark, snoozedName);
    if (ours || !icalcomponent_get_first_property(todo, ICAL_DTSTART_PROPERTY)) {
        icalproperty* start = startFor(todo, *task.snoozedUntil);
        icalparameter* own = icalparameter_new_x(valueText(start).constData());
        icalparameter_set_xname(own, ownStartName);
        icalproperty_add_parameter(mark, own);
        r.set(start);
    }
    r.set(mark);
}

std::optional<Date> timeOf(icalcomponent* todo, icalproperty* p) {
    return p ? toDate(icalproperty_get_datetime_with_component(p, todo)) : std::nullopt;
}

// When a snooze ends: the mark's wake time, or for an older mark the start. None when it
// cannot be read or another client removed the start that came with it: not snoozed then.
std::optional<Date> wakeTime(icalcomponent* todo) {
    icalproperty* mark = findX(todo, snoozedName);
    if (!mark) {
        return std::nullopt;
    }
    icalproperty* start = icalcomponent_get_first_property(todo, ICAL_DTSTART_PROPERTY);
    const char* value = icalproperty_get_x(mark);
    std::optional<Date> wake;
    if (qstricmp(value, "TRUE") == 0) {
        wake = timeOf(todo, start);
    } else if (!findXParameter(mark, ownStartName) || start) {
        wake = toDate(icaltime_from_string(value ? value : ""));
    }
    const Date last = Date::fromUnixSeconds(static_cast<double>(
        QDateTime(QDate(lastWakeYear, 1, 1), QTime(0, 0), QTimeZone::utc()).toSecsSinceEpoch()));
    return wake && *wake < last ? wake : std::nullopt;
}

// Done on a recurring task completes this occurrence only: its start and due date move on
// to the next one, as other task clients do. Answers when that occurrence starts, none when
// the series has ended (or the task does not recur).
std::optional<Date> nextOccurrence(Rewrite& r, icalcomponent* todo) {
    icalproperty* rrule = icalcomponent_get_first_property(todo, ICAL_RRULE_PROPERTY);
    icalproperty* start = icalcomponent_get_first_property(todo, ICAL_DTSTART_PROPERTY);
    icalproperty* due = icalcomponent_get_first_property(todo, ICAL_DUE_PROPERTY);
    // A start a snooze wrote is no part of the series.
    icalproperty* anchor = start && !startIsOurs(todo) ? start : due;
    if (!rrule || !anchor) {
        return std::nullopt;
    }
    const icaltimetype from = icalproperty_get_datetime_with_component(anchor, todo);
    if (icaltime_is_null_time(from)) {
        return std::nullopt;
    }
    icalrecur_iterator* it = icalrecur_iterator_new(icalproperty_get_rrule(rrule), from);
    if (!it) {
        return std::nullopt;
    }
    icaltimetype next = icalrecur_iterator_next(it);
    // The first one the iterator gives is the current occurrence itself; a rule of another
    // client's that never gets past it ends the series rather than the sync.
    for (int step = 0; !icaltime_is_null_time(next) && icaltime_compare(next, from) <= 0; ++step) {
        next = step < maxRecurrenceSteps ? icalrecur_iterator_next(it) : icaltime_null_time();
    }
    icalrecur_iterator_free(it);
    if (icaltime_is_null_time(next)) {
        return std::nullopt;
    }
    const icaldurationtype step = icaltime_subtract(next, from);
    for (icalproperty* p : {start == anchor ? start : nullptr, due}) {
        if (p) {
            icalproperty* moved = icalproperty_new_clone(p);
            icaltimetype t = icalproperty_get_datetime_with_component(p, todo);
            t = icaltime_add(t, step);
            icalproperty_set_value(moved, icalvalue_new_datetimedate(t));
            r.set(moved);
        }
    }
    return toDate(next);
}

// A TEXT value holds no control character but tabs and (escaped) line ends. libical drops a CR
// it writes and passes the others on raw, which other clients may refuse; a name or UID read
// with them would then not be the one written back.
QString plainText(QString value) {
    value.removeIf([](QChar c) {
        return (c.unicode() < 0x20 && c != u'\t' && c != u'\n') || c.unicode() == 0x7f;
    });
    // libical drops the blanks around a value it reads.
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype from = 0;
    qsizetype to = value.size();
    while (from < to && blank(value[from])) {
        ++from;
    }
    while (to > from && blank(value[to - 1])) {
        --to;
    }
    return value.sliced(from, to - from);
}

QString text(const char* value) {
    return value ? plainText(QString::fromUtf8(value)) : QString();
}

std::optional<Date> timeOf(icalcomponent* todo, icalproperty_kind kind) {
    return timeOf(todo, icalcomponent_get_first_property(todo, kind));
}

// What other clients count as a change of the task itself (RFC 5545's SEQUENCE).
QByteArray significant(icalcomponent* todo) {
    QByteArray lines;
    for (const icalproperty_kind kind :
         {ICAL_SUMMARY_PROPERTY, ICAL_STATUS_PROPERTY, ICAL_DTSTART_PROPERTY, ICAL_DUE_PROPERTY,
          ICAL_COMPLETED_PROPERTY}) {
        for (icalproperty* p = icalcomponent_get_first_property(todo, kind); p;
             p = icalcomponent_get_next_property(todo, kind)) {
            lines += icalText(icalproperty_as_ical_string_r(p));
        }
    }
    return lines + valueText(findX(todo, snoozedName));
}

bool readDone(icalcomponent* todo) {
    icalproperty* status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
    if (status) {
        return icalproperty_get_status(status) == ICAL_STATUS_COMPLETED;
    }
    return icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY) != nullptr;
}

std::optional<Task> taskIn(const QByteArray& ics) {
    const auto read = VTodo::read(ics);
    const auto* resource = std::get_if<VTodo::Resource>(&read);
    return resource ? std::optional(resource->task) : std::nullopt;
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

QByteArray write(const Task& task, Stamps at, const QByteArray& previous) {
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
    r.set(icalproperty_new_summary(plainText(task.name).toUtf8().constData()));
    r.set(icalproperty_new_created(toIcal(task.created)));
    r.set(icalproperty_new_dtstamp(toIcal(at.written)));
    r.set(icalproperty_new_lastmodified(toIcal(at.modified)));
    const std::optional<Date> next =
        task.isDone && !readDone(todo) ? nextOccurrence(r, todo) : std::nullopt;
    Task meant = task;
    if (next) {
        meant.isDone = false;
        meant.doneDate.reset();
        meant.isSnoozed = true;
        meant.snoozedUntil = next;
        r.remove("COMPLETED");
        r.set(icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    } else {
        writeStatus(r, todo, task);
    }
    writeSnooze(r, todo, meant);
    QByteArray written = ContentLines::spliceTodo(base, r.drop, r.add);
    if (base == previous) {
        // Lines libical reads otherwise than they look (an end it makes up, a stray control
        // byte, a broken escape) can hide the edit or the task itself. Then libical's own
        // rendering of the resource takes the edit, at the cost of the lines it could not
        // read; failing that, the task is written afresh.
        const QByteArray fresh = write(meant, at);
        const std::optional<Task> expected = taskIn(fresh);
        if (taskIn(written) != expected) {
            written = ContentLines::spliceTodo(
                icalText(icalcomponent_as_ical_string_r(calendar.get())), r.drop, r.add);
        }
        if (taskIn(written) != expected) {
            written = fresh;
        }
    }

    const Component after = parse(written);
    icalcomponent* changed = after ? firstTodo(after.get()) : nullptr;
    if (calendar && changed && !previous.isEmpty() && significant(todo) != significant(changed)) {
        icalproperty* sequence = icalcomponent_get_first_property(todo, ICAL_SEQUENCE_PROPERTY);
        Rewrite bump;
        bump.set(icalproperty_new_sequence(sequence ? icalproperty_get_sequence(sequence) + 1 : 1));
        written = ContentLines::spliceTodo(written, bump.drop, bump.add);
    }
    return written;
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
    r.task.snoozedUntil = wakeTime(todo);
    r.task.isSnoozed = r.task.snoozedUntil.has_value();
    return r;
}

} // namespace VTodo
