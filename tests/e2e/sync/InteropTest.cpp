// Quenby beside other clients nobody here wrote: todoman on a folder that vdirsyncer keeps in
// step with the same collection, on each server. What either side does reaches the other,
// and every task Quenby sends passes the iCalendar checks of check_vtodo.py.
#include "Builders.h"
#include "CalDavServer.h"
#include "FileUtil.h"
#include "ScopedEnv.h"
#include "SyncDevice.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace {

using namespace std::chrono_literals;

// Now, as the sync counts time.
double now() {
    return Date::fromUnixSeconds(static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000)
        .secondsSinceReferenceDate;
}

// todoman and vdirsyncer with a folder of their own, reaching the server directly.
class OtherClient {
public:
    explicit OtherClient(const QUrl& collection) {
        QDir(dir_.path()).mkpath(QStringLiteral("tasks"));
        EXPECT_TRUE(writeFile(dir_.filePath(QStringLiteral("vdirsyncer")),
                              QStringLiteral(R"([general]
status_path = "%1/status/"
[pair tasks]
a = "local"
b = "remote"
collections = null
conflict_resolution = "b wins"
[storage local]
type = "filesystem"
path = "%1/tasks/"
fileext = ".ics"
[storage remote]
type = "caldav"
url = "%2"
username = "test"
password = "secret"
)")
                                  .arg(dir_.path(), collection.toString())
                                  .toUtf8()));
        EXPECT_TRUE(
            writeFile(dir_.filePath("todoman.py"),
                      QStringLiteral("path = \"%1/tasks\"\ncache_path = \"%1/cache.sqlite3\"\n"
                                     "date_format = \"%Y-%m-%d\"\ntime_format = \"%H:%M\"\n"
                                     "default_list = \"tasks\"\ndefault_due = 0\n")
                          .arg(dir_.path())
                          .toUtf8()));
        EXPECT_EQ(run("vdirsyncer", {"discover"}), QString());
    }

    // One vdirsyncer sync; empty when it went through, its output otherwise.
    QString sync() { return run("vdirsyncer", {"sync"}); }
    QString todoman(const QStringList& arguments) { return run("todoman", arguments); }
    // Every task todoman lists, by summary in sorted order.
    QMap<QString, QJsonObject> tasks() {
        QMap<QString, QJsonObject> byName;
        const E2E::RunResult listed =
            E2E::run("todoman", {"--porcelain", "list", "--status", "ANY"}, 60s);
        for (const QJsonValue& v : QJsonDocument::fromJson(listed.output.toUtf8()).array()) {
            byName.insert(v["summary"].toString(), v.toObject());
        }
        return byName;
    }
    QString id(const QString& summary) {
        return QString::number(tasks().value(summary)["id"].toInt(-1));
    }
    // A task written into the folder as another program would.
    void put(const QString& name, const QByteArray& ics) const {
        EXPECT_TRUE(writeFile(dir_.filePath("tasks/" + name), ics));
    }

private:
    QString run(const QString& program, const QStringList& arguments) {
        const E2E::RunResult r = E2E::run(program, arguments, 60s);
        return r.exitCode == 0 ? QString() : r.output;
    }

    QTemporaryDir dir_;
    ScopedEnv vdirsyncer_{"VDIRSYNCER_CONFIG", dir_.filePath("vdirsyncer").toUtf8()};
    ScopedEnv todoman_{"TODOMAN_CONFIG", dir_.filePath("todoman.py").toUtf8()};
};

class Interop : public testing::TestWithParam<CalDavServer::Kind> {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        other = std::make_unique<OtherClient>(server.collection());
        // From here Quenby's requests pass a proxy that keeps what it sends.
        server.intercept([this](const QByteArray& request) {
            if (request.startsWith("PUT ")) {
                sent.append(request.mid(request.indexOf("\r\n\r\n") + 4));
            }
            return std::optional<QByteArray>();
        });
    }
    void TearDown() override {
        const QTemporaryDir bodies;
        QStringList files;
        for (const QByteArray& body : sent) {
            files.append(bodies.filePath(QString::number(files.size())));
            EXPECT_TRUE(writeFile(files.back(), body));
        }
        EXPECT_FALSE(files.isEmpty());
        const E2E::RunResult checked =
            E2E::run(QStringLiteral(QUENBY_CHECK_VTODO), files, std::chrono::seconds(60));
        EXPECT_EQ(checked.exitCode, 0) << checked.output.toStdString();
    }
    QString sync(Device& device) { return device.sync(server.client(), now()); }

    CalDavServer server{GetParam()};
    std::unique_ptr<OtherClient> other;
    Device quenby;
    QList<QByteArray> sent;
};

const QByteArray series = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Elsewhere//EN\r\n"
                          "BEGIN:VTODO\r\nUID:weekly-review\r\nDTSTAMP:20261201T090000Z\r\n"
                          "SUMMARY:Weekly review\r\nDTSTART;VALUE=DATE:20261204\r\n"
                          "DUE;VALUE=DATE:20261205\r\nRRULE:FREQ=WEEKLY\r\n"
                          "STATUS:NEEDS-ACTION\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";

TEST_P(Interop, ChangesOnEitherSideReachTheOther) {
    quenby.tasks = {makeTask("Pay rent", now()), makeTask("Call mum", now()),
                    makeTask("Water plants", now())};
    ASSERT_EQ(sync(quenby), QString());
    ASSERT_EQ(other->sync(), QString());
    EXPECT_EQ(other->tasks().keys(), QStringList({"Call mum", "Pay rent", "Water plants"}));

    // There: added (due on a date; a weekly series), done, deleted.
    ASSERT_EQ(other->todoman({"new", "-l", "tasks", "--due", "2027-03-01", "Due on a date"}),
              QString());
    other->put("weekly-review.ics", series);
    ASSERT_EQ(other->todoman({"done", other->id("Call mum")}), QString());
    ASSERT_EQ(other->todoman({"delete", "--yes", other->id("Water plants")}), QString());
    ASSERT_EQ(other->sync(), QString());
    ASSERT_EQ(sync(quenby), QString());
    EXPECT_EQ(marked(quenby.tasks),
              QStringList({"Call mum (done)", "Due on a date", "Pay rent", "Weekly review"}));

    // Here: snoozed past the due date, the series done, renamed, deleted.
    const Date wake = Date::fromUnixSeconds(1'806'000'000); // 2027-03-24, after the due date
    quenby.edit(now(), [&](Device& d) {
        d.named("Due on a date").isSnoozed = true;
        d.named("Due on a date").snoozedUntil = wake;
        d.named("Weekly review").isDone = true;
        d.named("Pay rent").name = "Pay the rent today";
        std::erase_if(d.tasks, [](const Task& t) { return t.name == u"Call mum"; });
    });
    ASSERT_EQ(sync(quenby), QString());
    ASSERT_EQ(other->sync(), QString());
    const QMap<QString, QJsonObject> there = other->tasks();
    EXPECT_EQ(there.keys(), QStringList({"Due on a date", "Pay the rent today", "Weekly review"}));
    EXPECT_FALSE(there.value("Weekly review")["completed"].toBool());

    // An edit there keeps the snooze.
    ASSERT_EQ(other->todoman({"edit", other->id("Due on a date"), "--priority", "high"}),
              QString());
    ASSERT_EQ(other->sync(), QString());
    ASSERT_EQ(sync(quenby), QString());
    EXPECT_EQ(quenby.named("Due on a date").snoozedUntil, wake);
}

INSTANTIATE_TEST_SUITE_P(Servers, Interop,
                         testing::Values(CalDavServer::Kind::Radicale,
                                         CalDavServer::Kind::Xandikos),
                         [](const auto& p) { return CalDavServer::name(p.param); });

} // namespace
