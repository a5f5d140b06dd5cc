#include "SyncDevice.h"
#include "sync/caldav/Discovery.h"

namespace {

// A hook that runs `act` once, before the `n`th request whose head starts with `verb` goes on.
DavProxy::Hook before(const QByteArray& verb, int n, std::function<void()> act) {
    return [verb, n, act, seen = 0](const QByteArray& request) mutable {
        if (request.startsWith(verb) && ++seen == n) {
            act();
        }
        return std::optional<QByteArray>();
    };
}

// "name path" of each collection found from `path`, sorted, or the failure's status and reason.
QStringList found(const CalDavServer& server, const QString& path,
                  const QString& password = QStringLiteral("secret")) {
    const auto result = Discovery::findTaskCollections(
        server.root().resolved(QUrl(path)), server.credentials(password), std::chrono::seconds(5));
    if (const auto* f = std::get_if<CalDavClient::Failure>(&result)) {
        return {QString::number(f->status) + QLatin1Char(' ') + f->reason};
    }
    QStringList lines;
    for (const Discovery::Collection& c : std::get<std::vector<Discovery::Collection>>(result)) {
        lines.append(c.name + QLatin1Char(' ') + c.url.path());
    }
    lines.sort();
    return lines;
}

// Two devices and a server of each kind; the one without sync reports lists by ETag.
class OnServer : public testing::TestWithParam<CalDavServer::Kind> {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }
    CalDavServer server{GetParam()};
    Device a;
    Device b;
};

TEST_P(OnServer, AServerStoppedMidSyncLeavesBothSidesConsistent) {
    for (int i = 0; i < 10; ++i) {
        a.tasks.push_back(makeTask(QStringLiteral("Task %1").arg(i), i));
    }
    server.intercept(before("PUT ", 4, [this] { server.stop(); }));
    EXPECT_NE(a.sync(server.client(), 100), QString());
    EXPECT_EQ(a.tasks.size(), 10u);
    server.intercept({});
    ASSERT_TRUE(server.start());
    EXPECT_EQ(a.sync(server.client(), 200), QString());
    EXPECT_EQ(b.sync(server.client(), 300), QString());
    EXPECT_EQ(marked(b.tasks), marked(a.tasks));
    // No copy sent twice.
    CalDavClient listing = server.client();
    EXPECT_EQ(std::get<CalDavClient::Changes>(listing.changesFrom({})).changed.size(), 10u);
}

TEST_P(OnServer, AWriteRefusedAsStaleIsMergedByTheNextSync) {
    a.tasks = {makeTask(QStringLiteral("Draft"), 10), makeTask(QStringLiteral("Other"), 11)};
    a.sync(server.client(), 100);
    b.sync(server.client(), 100);
    a.named(QStringLiteral("Draft")).name = QStringLiteral("Draft A");
    b.named(QStringLiteral("Draft")).isDone = true;
    std::erase_if(b.tasks, [](const Task& t) { return t.name == u"Other"; });
    // b's changes reach the server after a has pulled and before a pushes.
    server.intercept(
        before("PUT ", 1, [this] { EXPECT_EQ(b.sync(server.client(), 150), QString()); }));
    EXPECT_EQ(a.sync(server.client(), 200), QStringLiteral("HTTP 412"));
    server.intercept({});
    EXPECT_EQ(a.sync(server.client(), 300), QString());
    EXPECT_EQ(b.sync(server.client(), 400), QString());
    EXPECT_EQ(marked(a.tasks), QStringList{QStringLiteral("Draft A (done)")});
    EXPECT_EQ(marked(b.tasks), marked(a.tasks));
    EXPECT_EQ(server.refusals() > 0, GetParam() == CalDavServer::Kind::RadicaleWithoutSyncReports);
}

TEST_P(OnServer, DiscoveryFindsTheCollectionFromTheRootOrThroughTheWellKnownAddress) {
    const QString path = server.collection().path();
    const QStringList expected{path.section(QLatin1Char('/'), -2, -2) + QLatin1Char(' ') + path};
    EXPECT_EQ(found(server, QStringLiteral("/")), expected);
    EXPECT_EQ(found(server, QStringLiteral("/no/such/place/")), expected);
}

INSTANTIATE_TEST_SUITE_P(Servers, OnServer,
                         testing::Values(CalDavServer::Kind::Radicale, CalDavServer::Kind::Xandikos,
                                         CalDavServer::Kind::RadicaleWithoutSyncReports),
                         [](const auto& p) { return CalDavServer::name(p.param); });

TEST(SyncFault, AWrongPasswordChangesNeitherSide) {
    CalDavServer server(CalDavServer::Kind::Radicale);
    ASSERT_TRUE(server.start());
    Device a;
    a.tasks = {makeTask(QStringLiteral("Pay rent"), 10)};
    a.sync(server.client(), 100);
    a.named(QStringLiteral("Pay rent")).name = QStringLiteral("Pay the rent");
    const QByteArray state = SyncState::load(a.store).encode();
    EXPECT_EQ(a.sync(server.client(QStringLiteral("wrong")), 200),
              QStringLiteral("wrong user name or password"));
    EXPECT_EQ(SyncState::load(a.store).encode(), state);
    EXPECT_EQ(marked(a.tasks), QStringList{QStringLiteral("Pay the rent")});
    EXPECT_EQ(onPhone(server), QStringList{QStringLiteral("Pay rent")});
}

TEST(Discovery, KeepsCollectionsThatTakeTasksNamedByTheirDisplayName) {
    CalDavServer server(CalDavServer::Kind::Radicale);
    server.addRadicaleCollection(
        QStringLiteral("events"),
        R"({"tag": "VCALENDAR", "C:supported-calendar-component-set": "VEVENT"})");
    server.addRadicaleCollection(QStringLiteral("mixed"), R"({"tag": "VCALENDAR",
        "D:displayname": "Home", "C:supported-calendar-component-set": "VEVENT,VTODO"})");
    server.addRadicaleCollection(QStringLiteral("any"), R"({"tag": "VCALENDAR"})");
    server.addRadicaleCollection(QStringLiteral("contacts"), R"({"tag": "VADDRESSBOOK"})");
    ASSERT_TRUE(server.start());
    EXPECT_EQ(
        found(server, QStringLiteral("/")),
        QStringList({QStringLiteral("Home /test/mixed/"), QStringLiteral("tasks /test/tasks/"),
                     QStringLiteral("test/any /test/any/")}));
    EXPECT_EQ(found(server, QStringLiteral("/"), QStringLiteral("wrong")),
              QStringList{QStringLiteral("401 HTTP 401")});
}

} // namespace
