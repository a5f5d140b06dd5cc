#include "feed/APIManager.h"
#include "LocalHttpServer.h"
#include "tests/support/Printed.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct Outcome {
    int calls = 0;
    QString status;
    std::vector<SystemMessage> messages;
    std::string printed;
    std::chrono::milliseconds took{};
};

// Runs one fetch to its end, then a little longer, so that a second completion would show.
Outcome fetch(const QUrl& url, std::chrono::milliseconds timeout = 5s) {
    APIManager api(FeedAddress{url, {}});
    api.setTimeout(timeout);
    Outcome o;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    testing::internal::CaptureStdout();
    api.getSystemMessages([&](bool ok, const QString& status, std::vector<SystemMessage> m) {
        o = {o.calls + 1, status, std::move(m), {}, std::chrono::milliseconds(clock.elapsed())};
        EXPECT_EQ(ok, status == u"Success");
        QTimer::singleShot(100ms, &loop, &QEventLoop::quit);
    });
    QTimer::singleShot(timeout + 2s, &loop, &QEventLoop::quit);
    loop.exec();
    o.printed = testing::internal::GetCapturedStdout();
    return o;
}

QByteArray ok200(const QByteArray& body) {
    return LocalHttpServer::response(200, body);
}

QByteArray redirect(const QByteArray& location) {
    return LocalHttpServer::response(302, "moved", "Location: " + location + "\r\n");
}

const QByteArray oversized = '[' + QByteArray(APIManager::maxBodyBytes, ' ') + ']';
const char* const bad = "Bad sysMsg Data.";

struct FetchCase {
    const char* name;
    QByteArray answer; // "@PORT@" stands for the server's port
    bool keepOpen;
    const char* status;
    size_t count;
    std::chrono::milliseconds timeout = 5s;
    const char* printed = ""; // a part of it
};

} // namespace

TEST(FeedFetch, SendsOneGetAndCompletesOnceWithTheOutcome) {
    const FetchCase cases[] = {
        {"EmptyArray", ok200("[]"), false, "Success", 0},
        {"TenThousandMessages", ok200("[" + QByteArray("{},").repeated(9999) + "{}]"), false,
         "Success", 10000},
        {"NotFoundBodyNeverWaitedFor",
         "HTTP/1.1 404 Not Found\r\nContent-Length: 100000\r\n\r\n<html>", true,
         "getSysMsg failed, response code: 404", 0},
        {"NotJson", ok200("<html>"), false, bad, 0},
        {"TopLevelObject", ok200("{\"id\":1}"), false, bad, 0},
        {"ElementNotObject", ok200("[{\"id\":1},2]"), false, bad, 0},
        {"InvalidUtf8", ok200("[{\"message\":\"\xff\"}]"), false, bad, 0},
        {"DeepNesting", ok200(QByteArray(100000, '[')), false, bad, 0},
        {"OversizedStillComing", "HTTP/1.1 200 OK\r\nContent-Length: 9999999\r\n\r\n" + oversized,
         true, bad, 0},
        {"OversizedWithoutLength", "HTTP/1.1 200 OK\r\n\r\n" + oversized, false, bad, 0},
        {"CutShort", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n[]", false, bad, 0},
        {"NeverAnswered", "", true, bad, 0, 300ms, "Message feed: no answer in time"},
        {"RedirectOnSameOrigin", redirect("/moved.json"), false, "Success", 1},
        {"RedirectToFile", redirect("file:///etc/passwd"), false,
         "getSysMsg failed, response code: 302", 0},
        {"RedirectToOtherHost", redirect("http://localhost:@PORT@/moved.json"), false,
         "getSysMsg failed, response code: 302", 0}};
    for (const FetchCase& c : cases) {
        SCOPED_TRACE(c.name);
        LocalHttpServer server;
        QByteArray raw = c.answer;
        raw.replace("@PORT@", QByteArray::number(server.url().port()));
        server.answer("/msg.json", raw, c.keepOpen);
        server.answer("/moved.json", ok200("[{}]"));
        const Outcome o = fetch(server.url(), c.timeout);
        EXPECT_EQ(std::tuple(o.calls, o.status, o.messages.size()),
                  std::tuple(1, QString::fromUtf8(c.status), c.count));
        EXPECT_THAT(o.printed, testing::HasSubstr(c.printed));
        EXPECT_LT(o.took, 2s) << "no outcome waits for the time-out";
        const QByteArray request = server.requests().at(0);
        EXPECT_TRUE(request.startsWith("GET /msg.json ") &&
                    request.contains("\nContent-Type: application/json\r"));
    }
}

TEST(FeedFetch, ReadsEachKeyOrItsDefaultAndPrintsEachValueInOrder) {
    LocalHttpServer server;
    server.answer("/msg.json", ok200(R"([{"cta_url": "https://q.app/new", "cta_text": "Read",
        "message": "New\nversion", "maximum_version": "2.9", "minimum_version": "2.1",
        "platform": ["Linux", "MacOS"], "created_at": 1714555800, "id": 42, "other": 1},
        {"id": 5}, {"id": "7", "created_at": 1.5, "platform": ["Linux", 3], "minimum_version": 2,
         "maximum_version": null, "message": false, "cta_text": {}, "cta_url": []},
        {"id": 1e3, "platform": "Linux"}])"));
    const Outcome o = fetch(server.url());
    const QByteArray defaults = R"("created_at":0,"platform":[],"min_version":"",)"
                                R"("max_version":"","message":"","cta_text":"","cta_url":"",)"
                                R"("isSnoozed":false})";
    EXPECT_EQ(*Json::encodeSystemMessages(o.messages),
              R"([{"id":42,"created_at":1714555800,"platform":["Linux","MacOS"],)"
              R"("min_version":"2.1","max_version":"2.9","message":"New\nversion",)"
              R"("cta_text":"Read","cta_url":"https://q.app/new","isSnoozed":false},)"
              R"({"id":5,)" +
                  defaults + R"(,{"id":0,)" + defaults + R"(,{"id":0,)" + defaults + "]");
    EXPECT_EQ(o.printed, "getSysMsg StatusCode: 200\nid: 42\ncreated_at: 1714555800\n"
                         "createdD: 2024-05-01 09:30:00 +0000\nplatform: [\"Linux\", \"MacOS\"]\n"
                         "minimum_version: 2.1\nmaximum_version: 2.9\nmessage: New version\n"
                         "cta_text: Read\ncta_url: https://q.app/new\nid: 5\n");
}

TEST(FeedFetch, WithoutAnAddressNothingIsFetched) {
    APIManager api(resolveFeedAddress({}, {}));
    const auto never = [](bool, const QString&, std::vector<SystemMessage>) { FAIL(); };
    EXPECT_EQ(printed([&] { api.getSystemMessages(never); }),
              "Message feed: no address configured\n");
}
