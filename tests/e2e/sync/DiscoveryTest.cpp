#include "sync/caldav/Discovery.h"

#include "CalDavServer.h"
#include <gtest/gtest.h>

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

class DiscoveryOn : public testing::TestWithParam<CalDavServer::Kind> {};

TEST_P(DiscoveryOn, FindsTheTaskCollectionFromTheRootOrThroughTheWellKnownAddress) {
    CalDavServer server(GetParam());
    ASSERT_TRUE(server.start());
    const QString path = server.collection().path();
    const QStringList expected{path.section(QLatin1Char('/'), -2, -2) + QLatin1Char(' ') + path};
    EXPECT_EQ(found(server, QStringLiteral("/")), expected);
    EXPECT_EQ(found(server, QStringLiteral("/no/such/place/")), expected);
}

INSTANTIATE_TEST_SUITE_P(Servers, DiscoveryOn,
                         testing::Values(CalDavServer::Kind::Radicale,
                                         CalDavServer::Kind::Xandikos),
                         [](const auto& p) { return CalDavServer::name(p.param); });

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
