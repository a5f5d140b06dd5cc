#include "CalDavServer.h"
#include "SyncDevice.h"
#include "sync/caldav/Discovery.h"

namespace {

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

TEST_P(OnServer, DiscoveryFindsTheCollectionAndAWriteRefusedAsStaleIsMergedByTheNextSync) {
    // Found from the root, or through the well-known address.
    const QString path = server.collection().path();
    const QStringList expected{path.section(QLatin1Char('/'), -2, -2) + QLatin1Char(' ') + path};
    EXPECT_EQ(found(server, "/"), expected);
    EXPECT_EQ(found(server, "/no/such/place/"), expected);

    a.tasks = {makeTask("Draft", 10), makeTask("Other", 11)};
    a.sync(server.client(), 100);
    b.sync(server.client(), 100);
    a.named("Draft").name = "Draft A";
    b.named("Draft").isDone = true;
    std::erase_if(b.tasks, [](const Task& t) { return t.name == u"Other"; });
    // b's changes reach the server after a has pulled and before a pushes.
    server.intercept([this, first = true](const QByteArray& request) mutable {
        if (first && request.startsWith("PUT ")) {
            first = false;
            EXPECT_EQ(b.sync(server.client(), 150), QString());
        }
        return std::optional<QByteArray>();
    });
    EXPECT_EQ(a.sync(server.client(), 200), "HTTP 412");
    server.intercept({});
    EXPECT_EQ(a.sync(server.client(), 300), QString());
    EXPECT_EQ(b.sync(server.client(), 400), QString());
    EXPECT_EQ(marked(a.tasks), QStringList{"Draft A (done)"});
    EXPECT_EQ(marked(b.tasks), marked(a.tasks));
    EXPECT_EQ(server.refusals() > 0, GetParam() == CalDavServer::Kind::RadicaleWithoutSyncReports);
}

INSTANTIATE_TEST_SUITE_P(Servers, OnServer,
                         testing::Values(CalDavServer::Kind::Radicale, CalDavServer::Kind::Xandikos,
                                         CalDavServer::Kind::RadicaleWithoutSyncReports),
                         [](const auto& p) { return CalDavServer::name(p.param); });

TEST(Discovery, KeepsCollectionsThatTakeTasksNamedByTheirDisplayName) {
    CalDavServer server(CalDavServer::Kind::Radicale);
    server.addRadicaleCollection(
        "events", R"({"tag": "VCALENDAR", "C:supported-calendar-component-set": "VEVENT"})");
    server.addRadicaleCollection("mixed", R"({"tag": "VCALENDAR",
        "D:displayname": "Home", "C:supported-calendar-component-set": "VEVENT,VTODO"})");
    server.addRadicaleCollection("any", R"({"tag": "VCALENDAR"})");
    server.addRadicaleCollection("contacts", R"({"tag": "VADDRESSBOOK"})");
    ASSERT_TRUE(server.start());
    EXPECT_EQ(found(server, "/"),
              QStringList({"Home /test/mixed/", "tasks /test/tasks/", "test/any /test/any/"}));
    EXPECT_EQ(found(server, "/", "wrong"), QStringList{"401 HTTP 401"});
}

} // namespace
