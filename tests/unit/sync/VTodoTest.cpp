#include "sync/caldav/VTodo.h"
#include "Builders.h"

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

struct RoundTrip {
    const char* label;
    Task task;
    // iCalendar times are whole seconds.
    std::optional<Date> createdBack = std::nullopt;
};
void PrintTo(const RoundTrip& r, std::ostream* os) {
    *os << r.label;
}

class VTodoRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(VTodoRoundTrip, ReadsBackWhatItWrote) {
    Task task = GetParam().task;
    const QByteArray ics = VTodo::write(task, stamp);
    task.created = GetParam().createdBack.value_or(task.created);
    EXPECT_EQ(stored(readTask(ics)), stored(task));
    EXPECT_EQ(std::get<VTodo::Resource>(VTodo::read(ics)).lastModified, stamp);
}

Task done(Task t, std::optional<Date> when) {
    t.isDone = true;
    t.doneDate = when;
    return t;
}

INSTANTIATE_TEST_SUITE_P(
    Tasks, VTodoRoundTrip,
    testing::Values(
        RoundTrip{"Open", makeTask(QStringLiteral("Buy milk"), 700'000'000)},
        RoundTrip{"WholeSeconds", makeTask(QStringLiteral("x"), 700'000'000.75), Date{700'000'000}},
        RoundTrip{"Escapes", makeTask(QStringLiteral("a, b; c\\d\nÄ 日本 🙂"), 700'000'000)},
        RoundTrip{"Done", done(makeTask(QStringLiteral("x"), 1), Date{700'000'100})},
        RoundTrip{"DoneUndated", done(makeTask(QStringLiteral("x"), 1), std::nullopt)},
        RoundTrip{"Snoozed", makeSnoozed(QStringLiteral("x"), 1, Date{800'000'000})},
        RoundTrip{"SnoozedOpenEnded", makeSnoozed(QStringLiteral("x"), 1, std::nullopt)}),
    [](const auto& param) { return std::string(param.param.label); });

const QByteArray otherClients =
    "BEGIN:VCALENDAR\r\n"
    "VERSION:2.0\r\n"
    "PRODID:-//Other//Client//EN\r\n"
    "BEGIN:VTODO\r\n"
    "UID:20260101-abc@phone.example\r\n"
    "DTSTAMP:20260101T100000Z\r\n"
    "CREATED:20260101T100000Z\r\n"
    "SUMMARY:Call the bank\r\n"
    "DESCRIPTION:Ask about fees\\, charges and\\nthe new card; a long\r\n"
    "  text folded by its writer\r\n"
    "DUE;VALUE=DATE:20260301\r\n"
    "DTSTART:20260201T090000Z\r\n"
    "PRIORITY:1\r\n"
    "CATEGORIES:Money,Calls\r\n"
    "RELATED-TO;RELTYPE=PARENT:parent-1@phone.example\r\n"
    "STATUS:IN-PROCESS\r\n"
    "x-other-app;X-KIND=\"a:b\":opaque  value \r\n"
    "BEGIN:VALARM\r\n"
    "ACTION:DISPLAY\r\n"
    "DESCRIPTION:Reminder\r\n"
    "TRIGGER:-PT15M\r\n"
    "END:VALARM\r\n"
    "END:VTODO\r\n"
    "END:VCALENDAR\r\n";

// The lines of a resource other than those a rename rewrites.
QList<QByteArray> unknownLines(const QByteArray& ics) {
    QList<QByteArray> kept;
    for (const QByteArray& line : ics.split('\n')) {
        if (!line.startsWith("SUMMARY:") && !line.startsWith("LAST-MODIFIED:") &&
            !line.startsWith("CREATED:") && !line.startsWith("DTSTAMP:")) {
            kept.append(line);
        }
    }
    return kept;
}

TEST(VTodo, KeepsWhatOtherClientsWroteByteForByte) {
    Task task = readTask(otherClients);
    EXPECT_EQ(task.name, QStringLiteral("Call the bank"));
    EXPECT_EQ(task.created, Date::fromUnixSeconds(1'767'261'600));
    task.name = QStringLiteral("Call the bank today");
    const QByteArray rewritten = VTodo::write(task, stamp, otherClients);

    EXPECT_EQ(unknownLines(rewritten), unknownLines(otherClients)) << rewritten.toStdString();
    const Task back = readTask(rewritten);
    EXPECT_EQ(back.id, task.id);
    EXPECT_EQ(back.name, task.name);
    EXPECT_LT(rewritten.indexOf("SUMMARY:"), rewritten.indexOf("BEGIN:VALARM"));
}

TEST(VTodo, DoneAndReopenedSetTheStatus) {
    Task task = readTask(otherClients);
    task.isDone = true;
    task.doneDate = stamp;
    const QByteArray completed = VTodo::write(task, stamp, otherClients);
    EXPECT_TRUE(lines(completed).contains("STATUS:COMPLETED\r"));
    EXPECT_TRUE(lines(completed).contains("COMPLETED:20270115T080000Z\r"));

    task.isDone = false;
    const QByteArray reopened = VTodo::write(task, stamp, completed);
    EXPECT_TRUE(lines(reopened).contains("STATUS:NEEDS-ACTION\r"));
    EXPECT_FALSE(reopened.contains("COMPLETED:"));
}

TEST(VTodo, EndingASnoozeRemovesOnlyItsOwnStart) {
    Task task = readTask(otherClients);
    EXPECT_FALSE(task.isSnoozed) << "another client's start is not a snooze";
    task.isSnoozed = true;
    task.snoozedUntil = stamp;
    const QByteArray snoozed = VTodo::write(task, stamp, otherClients);
    EXPECT_TRUE(lines(snoozed).contains("DTSTART:20270115T080000Z\r"));

    task.isSnoozed = false;
    task.snoozedUntil.reset();
    const QByteArray woken = VTodo::write(task, stamp, snoozed);
    EXPECT_FALSE(woken.contains("DTSTART")) << woken.toStdString();
    EXPECT_TRUE(lines(woken).contains("DUE;VALUE=DATE:20260301\r"));
    EXPECT_FALSE(woken.contains("X-QUENBY-SNOOZED"));
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

TEST(VTodo, AnUnreadablePreviousResourceIsReplaced) {
    const Task task = makeTask(QStringLiteral("x"), 1);
    const QByteArray ics = VTodo::write(task, stamp, "BEGIN:VCALENDAR\r\nbroken");
    EXPECT_EQ(stored(readTask(ics)), stored(task));
    EXPECT_FALSE(ics.contains("X-LIC-ERROR"));
}

} // namespace
