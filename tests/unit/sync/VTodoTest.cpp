#include "sync/caldav/VTodo.h"
#include "Builders.h"
#include "tests/support/TimeZone.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const Date stamp = Date::fromUnixSeconds(1'800'000'000);

Task readTask(const QByteArray& ics) {
    const auto read = VTodo::read(ics);
    const auto* resource = std::get_if<VTodo::Resource>(&read);
    EXPECT_NE(resource, nullptr) << ics.toStdString();
    return resource ? resource->task : Task{};
}

// The content lines, folding undone.
QList<QByteArray> lines(QByteArray ics) {
    ics.replace("\r\n ", "").replace("\r\n\t", "");
    return ics.split('\n');
}

// Equal tasks have equal stored forms.
QByteArray stored(const Task& task) {
    return Json::encodeTasks({task}).value_or("unencodable");
}

TEST(VTodo, ReadsBackWhatItWrote) {
    // The task, the creation time it reads back with (iCalendar times are whole seconds) when
    // not its own, and the resource it replaces.
    const std::tuple<const char*, Task, std::optional<Date>, QByteArray> cases[] = {
        {"WholeSeconds", makeTask("x", 700'000'000.75), Date{700'000'000}, {}},
        {"Escapes", makeTask("a, b; c\\d\nÄ 日本 🙂", 700'000'000), {}, {}},
        {"LongUnicode", makeTask(QStringLiteral("日本🙂").repeated(30), 700'000'000), {}, {}},
        {"Done", markedDone(makeTask("x", 1), Date{700'000'100}), {}, {}},
        {"DoneUndated", markedDone(makeTask("x", 1)), {}, {}},
        {"Snoozed", makeSnoozed("x", 1, Date{800'000'000}), {}, {}},
        {"OverUnreadable", makeTask("x", 1), {}, "BEGIN:VCALENDAR\r\nbroken"}};
    for (const auto& [label, written, createdBack, previous] : cases) {
        SCOPED_TRACE(label);
        const QByteArray ics = VTodo::write(written, stamp, previous);
        EXPECT_FALSE(ics.contains("X-LIC-ERROR"));
        // Content lines end in CRLF and fold at 75 octets, never inside a character.
        for (const QByteArray& l : ics.split('\n')) {
            EXPECT_TRUE(l.isEmpty() || (l.endsWith('\r') && l.size() <= 76)) << l.data();
        }
        Task task = written;
        task.created = createdBack.value_or(task.created);
        EXPECT_EQ(stored(readTask(ics)), stored(task));
        EXPECT_EQ(std::get<VTodo::Resource>(VTodo::read(ics)).lastModified, stamp);
    }
}

const QByteArray otherClients =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//Client//EN\r\nBEGIN:VTODO\r\n"
    "UID:20260101-abc@phone.example\r\nDTSTAMP:20260101T100000Z\r\nCREATED:20260101T100000Z\r\n"
    "SUMMARY:Call the bank\r\n"
    "DESCRIPTION:Ask about fees\\, charges and\\nthe new card; a long\r\n"
    "  text folded by its writer\r\n"
    "DUE;VALUE=DATE:20260301\r\nDTSTART:20260201T090000Z\r\nPRIORITY:1\r\n"
    "CATEGORIES:Money,Calls\r\nRELATED-TO;RELTYPE=PARENT:parent-1@phone.example\r\n"
    "STATUS:IN-PROCESS\r\nx-other-app;X-KIND=\"a:b\":opaque  value \r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
    "END:VTODO\r\nEND:VCALENDAR\r\n";

// The lines of a resource other than those a rename rewrites.
QList<QByteArray> unknownLines(const QByteArray& ics) {
    static const QRegularExpression rewritten("^(SUMMARY|LAST-MODIFIED|CREATED|DTSTAMP|SEQUENCE):");
    QList<QByteArray> kept = ics.split('\n');
    kept.removeIf(
        [](const QByteArray& l) { return rewritten.match(QString::fromUtf8(l)).hasMatch(); });
    return kept;
}

TEST(VTodo, KeepsWhatOtherClientsWroteByteForByte) {
    Task task = readTask(otherClients);
    EXPECT_EQ(task.name, "Call the bank");
    EXPECT_EQ(task.created, Date::fromUnixSeconds(1'767'261'600));
    task.name = "Call the bank today";
    const Date now = stamp.addingSeconds(60);
    const QByteArray rewritten = VTodo::write(task, {stamp, now}, otherClients);
    EXPECT_TRUE(lines(rewritten).contains("SEQUENCE:1\r"));
    EXPECT_TRUE(lines(rewritten).contains("DTSTAMP:20270115T080100Z\r"));
    EXPECT_TRUE(lines(rewritten).contains("LAST-MODIFIED:20270115T080000Z\r"));
    // Only a change of the task itself counts as a new version for other clients.
    EXPECT_TRUE(lines(VTodo::write(task, now, rewritten)).contains("SEQUENCE:1\r"));

    EXPECT_EQ(unknownLines(rewritten), unknownLines(otherClients)) << rewritten.toStdString();
    const Task back = readTask(rewritten);
    EXPECT_EQ(std::tie(back.id, back.name), std::tie(task.id, task.name));
    EXPECT_LT(rewritten.indexOf("SUMMARY:"), rewritten.indexOf("BEGIN:VALARM"));
}

// `otherClients` with its start and due date lines replaced by `dates`.
QByteArray withDates(const QByteArray& dates) {
    QByteArray ics = otherClients;
    return ics.replace("DUE;VALUE=DATE:20260301\r\nDTSTART:20260201T090000Z\r\n", dates);
}

TEST(VTodo, ASnoozeIsAStartOtherClientsAcceptAndEndingItRestoresTheirs) {
    const TimeZone tz("America/New_York");
    // Their dates, and the start other clients see while snoozed until `stamp` (2027-01-15
    // 08:00 UTC): never on or after the due date.
    const std::tuple<const char*, QByteArray, QByteArray> cases[] = {
        {"NoDates", "", "DTSTART:20270115T080000Z"},
        // 03:00 in New York: the local day, as a date like the due date.
        {"DueDate", "DUE;VALUE=DATE:20270301\r\n", "DTSTART;VALUE=DATE:20270115"},
        {"WakeOnDueDate", "DUE;VALUE=DATE:20270115\r\n", "DTSTART;VALUE=DATE:20270114"},
        {"WakeAfterDue", "DUE:20270114T120000Z\r\n", "DTSTART:20270114T115959Z"},
        {"TheirStart", "DTSTART;VALUE=DATE:20260201\r\n", "DTSTART;VALUE=DATE:20260201"},
    };
    for (const auto& [label, dates, start] : cases) {
        const QByteArray before = withDates(dates);
        Task task = readTask(before);
        EXPECT_FALSE(task.isSnoozed) << label << ": another client's start is not a snooze";
        task.isSnoozed = true;
        task.snoozedUntil = stamp;
        const QByteArray snoozed = VTodo::write(task, stamp, before);
        EXPECT_TRUE(lines(snoozed).contains(start + '\r')) << label << snoozed.toStdString();
        EXPECT_EQ(readTask(snoozed).snoozedUntil, stamp) << label;

        task.isSnoozed = false;
        task.snoozedUntil.reset();
        const QByteArray woken = VTodo::write(task, stamp, snoozed);
        const auto startOf = [](const QByteArray& ics) {
            QList<QByteArray> all = lines(ics);
            all.removeIf([](const QByteArray& l) { return !l.startsWith("DTSTART"); });
            return all;
        };
        EXPECT_EQ(startOf(woken), startOf(before)) << label << woken.toStdString();
        EXPECT_FALSE(woken.contains("X-QUENBY-SNOOZED")) << label;
    }
}

TEST(VTodo, ASnoozeWithoutAReadableWakeTimeIsNoSnoozeAndDatesAreLocal) {
    const TimeZone tz("America/New_York");
    const Date newYorkMidnight = Date::fromUnixSeconds(1'769'922'000); // 2026-02-01 05:00 UTC
    const std::tuple<const char*, QByteArray, std::optional<Date>> cases[] = {
        {"Wake", withDates("X-QUENBY-SNOOZED:20270115T080000Z\r\n"), stamp},
        {"OlderMarkWithStart", withDates("DTSTART:20270115T080000Z\r\nX-QUENBY-SNOOZED:TRUE\r\n"),
         stamp},
        {"OlderMarkStartGone", withDates("X-QUENBY-SNOOZED:TRUE\r\n"), std::nullopt},
        {"OwnStartRemovedElsewhere",
         withDates("X-QUENBY-SNOOZED;X-QUENBY-START=20270115T080000Z:20270115T080000Z\r\n"),
         std::nullopt},
        {"Unreadable", withDates("X-QUENBY-SNOOZED:soon\r\n"), std::nullopt},
        {"YearNineThousand", withDates("DTSTART:99991231T000000Z\r\nX-QUENBY-SNOOZED:TRUE\r\n"),
         std::nullopt},
        {"DateStart", withDates("DTSTART;VALUE=DATE:20260201\r\nX-QUENBY-SNOOZED:TRUE\r\n"),
         newYorkMidnight},
        {"FloatingStart", withDates("DTSTART:20260201T000000\r\nX-QUENBY-SNOOZED:TRUE\r\n"),
         newYorkMidnight},
        {"OpenEndedWritten", VTodo::write(makeSnoozed("x", 1, std::nullopt), stamp), std::nullopt},
    };
    for (const auto& [label, ics, wake] : cases) {
        const Task task = readTask(ics);
        EXPECT_EQ(std::tuple(task.isSnoozed, task.snoozedUntil), std::tuple(wake.has_value(), wake))
            << label;
    }
}

// Done sets the status, reopened sets it back; done on a series moves it on and snoozes it.
TEST(VTodo, DoneAndReopenedSetTheStatusAndDoneOnASeriesMovesItOn) {
    const TimeZone tz("America/New_York");
    // Their dates, and the lines the resource holds once done.
    const std::tuple<const char*, QByteArray, QList<QByteArray>> cases[] = {
        {"Once", "", {"STATUS:COMPLETED", "COMPLETED:20270115T080000Z"}},
        {"WeeklyDates",
         "DTSTART;VALUE=DATE:20260201\r\nDUE;VALUE=DATE:20260203\r\nRRULE:FREQ=WEEKLY\r\n",
         {"STATUS:NEEDS-ACTION", "DTSTART;VALUE=DATE:20260208", "DUE;VALUE=DATE:20260210"}},
        {"MonthlyZoned",
         "DTSTART;TZID=America/New_York:20260131T090000\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=-1\r\n",
         {"STATUS:NEEDS-ACTION", "DTSTART;TZID=America/New_York:20260228T090000"}},
        {"DueOnly",
         "DUE:20260201T090000Z\r\nRRULE:FREQ=DAILY\r\n",
         {"STATUS:NEEDS-ACTION", "DUE:20260202T090000Z"}},
        {"SeriesOver",
         "DTSTART:20260201T090000Z\r\nRRULE:FREQ=DAILY;COUNT=1\r\n",
         {"STATUS:COMPLETED", "DTSTART:20260201T090000Z"}},
    };
    for (const auto& [label, dates, shown] : cases) {
        const QByteArray before = withDates(dates);
        Task task = markedDone(readTask(before), stamp);
        const QByteArray written = VTodo::write(task, stamp, before);
        const Task back = readTask(written);
        const bool over = shown.front() == "STATUS:COMPLETED";
        EXPECT_EQ(std::tuple(back.isDone, back.isSnoozed), std::tuple(over, !over))
            << label << written.toStdString();
        for (const QByteArray& line : shown) {
            EXPECT_TRUE(lines(written).contains(line + '\r'))
                << label << ": " << line.toStdString() << written.toStdString();
        }
        EXPECT_TRUE(written.contains("SEQUENCE:1")) << label;
        if (over) {
            task.isDone = false;
            const QByteArray reopened = VTodo::write(task, stamp, written);
            EXPECT_TRUE(lines(reopened).contains("STATUS:NEEDS-ACTION\r")) << label;
            EXPECT_FALSE(reopened.contains("COMPLETED:")) << label;
        }
    }
    // Next occurrence's start, local midnight in New York.
    const Task weekly = markedDone(readTask(withDates(std::get<1>(cases[1]))));
    EXPECT_EQ(readTask(VTodo::write(weekly, stamp, withDates(std::get<1>(cases[1])))).snoozedUntil,
              Date::fromUnixSeconds(1'770'526'800));
}

// A task `depth` components deep (the calendar and the VTODO count), named `summary`.
QByteArray nestedTask(int depth, const QByteArray& summary = "x") {
    return "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:u\r\nSUMMARY:" + summary + "\r\n" +
           QByteArray("BEGIN:VALARM\r\n").repeated(depth - 2) +
           QByteArray("END:VALARM\r\n").repeated(depth - 2) + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

TEST(VTodo, RefusesResourcesWithoutATaskOrBeyondItsBounds) {
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("garbage\r\n\x01\xff"),
          QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:e\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"),
          QByteArray(
              "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nSUMMARY:x\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"),
          nestedTask(33), nestedTask(2, QByteArray(10'001, 'x'))}) {
        EXPECT_TRUE(std::holds_alternative<QString>(VTodo::read(bad)))
            << bad.left(200).toStdString();
    }
    for (const QByteArray& good : {nestedTask(32), nestedTask(2, QByteArray(10'000, 'x'))}) {
        EXPECT_TRUE(std::holds_alternative<VTodo::Resource>(VTodo::read(good)))
            << good.left(200).toStdString();
    }
}

} // namespace
