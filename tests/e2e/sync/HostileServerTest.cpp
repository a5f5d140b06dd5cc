// Syncs and set-ups against a server that misbehaves on purpose (hostile_dav.py, one mode
// per fault), with other origins listening for a password that must never reach them.
#include "Builders.h"
#include "FileUtil.h"
#include "Processes.h"
#include "TempConfigHome.h"
#include "store/DBManager.h"
#include "store/StoreKeys.h"
#include "sync/SyncService.h"
#include "sync/caldav/Discovery.h"
#include "sync/caldav/VTodo.h"
#include "sync/module/CalDavBackend.h"
#include "tasks/TaskBoard.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string_view>

namespace {

using namespace std::chrono_literals;

constexpr SyncTiming timing{.settle = 1h, .interval = 4s, .requestTimeout = 4s, .syncTimeout = 8s};

// The server in one mode, serving the resources in `folder` as the collection /cal/.
class HostileServer {
public:
    HostileServer(const char* mode, const QString& folder) {
        process_.start(QStringLiteral("python3"),
                       {QStringLiteral(QUENBY_HOSTILE_DAV), QString::fromLatin1(mode), folder,
                        QString::number(CalDavClient::listingCap),
                        QString::number(CalDavClient::resourceCap)});
        EXPECT_TRUE(E2E::waitUntil([this] { return process_.canReadLine(); }, 10s))
            << process_.readAllStandardError().toStdString();
        const QList<QByteArray> ports = process_.readLine().trimmed().split(' ');
        for (int i = 0; i < 3; ++i) {
            ports_[i] = ports.value(i).toUShort();
        }
    }
    ~HostileServer() {
        process_.kill();
        process_.waitForFinished();
    }

    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(ports_[0]).arg(path));
    }
    // The mode's text with the other origins' ports filled in.
    QString expand(QString text) const {
        return text.replace(QStringLiteral("{other-port}"), QString::number(ports_[1]))
            .replace(QStringLiteral("{other-host}"), QString::number(ports_[2]));
    }
    // The Authorization headers the other origins received, one per request that carried one.
    QStringList elsewhere() {
        while (process_.waitForReadyRead(0)) {
        }
        QStringList seen;
        for (const QByteArray& line : process_.readAllStandardOutput().split('\n')) {
            if (line.startsWith("elsewhere ") && !line.endsWith(" -")) {
                seen.append(QString::fromUtf8(line.split(' ').mid(3).join(' ')));
            }
        }
        return seen;
    }

private:
    QProcess process_;
    quint16 ports_[3] = {};
};

struct Fault {
    const char* mode;
    // Set up against the server instead of syncing with it.
    bool discover;
    // How the sync (or the set-up) ends; a status starting so for a sync that went through.
    const char* outcome;
};

const char* const synced = "Synced ";
const char* const notAListing = "Sync failed: the server's answer is not a CalDAV listing";
const char* const tooLarge = "Sync failed: the server's answer is too large";

class Hostile : public testing::TestWithParam<Fault> {
protected:
    // Six synced tasks, on the server and here, with a sync token the server has forgotten.
    void SetUp() override {
        std::vector<Task> tasks;
        SyncState state;
        state.token = QStringLiteral("t1");
        for (int i = 0; i < 6; ++i) {
            tasks.push_back(makeTask(QStringLiteral("Task %1").arg(i), 800'000'000 + i));
            const QString name = tasks.back().id.toString(QUuid::WithoutBraces);
            const QByteArray ics = VTodo::write(tasks.back(), Date{800'000'000});
            ASSERT_TRUE(writeFile(resources.filePath(name + QStringLiteral(".ics")), ics));
            state.items.insert(tasks.back().id, {QStringLiteral("/cal/%1.ics").arg(name),
                                                 '"' + name.toUtf8() + '"', ics});
        }
        ASSERT_TRUE(DBManager::saveTaskList(tasks));
        ASSERT_TRUE(state.save(PreferenceStore::standard()));
        // Past the first start, so that the sync keeps its state.
        ASSERT_TRUE(PreferenceStore::standard().setBool(StoreKeys::tutorialsAdded, true));
        board.load();
    }

    TempConfigHome home;
    QTemporaryDir resources;
    TaskBoard board{systemNow};
};

// What a hostile answer may cost at the peak, in MB. AddressSanitizer keeps freed memory in
// quarantine (256 MB by default) and shadows the rest, which the caps cannot bound.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 peakAllowance = 200 + 256;
#else
constexpr qint64 peakAllowance = 200;
#endif

TEST_P(Hostile, KeepsThePasswordHomeAndEveryTaskAndEndsInTime) {
    const Fault& fault = GetParam();
    HostileServer server(fault.mode, resources.path());
    const QByteArray before = readFile(home.storeFile("tasksData.data"));
    const QByteArray stateBefore = SyncState::load(PreferenceStore::standard()).encode();
    ASSERT_TRUE(writeFile("/proc/self/clear_refs", "5")) << "the peak reset";
    QElapsedTimer clock;
    clock.start();
    if (fault.discover) {
        const auto found = Discovery::findTaskCollections(server.url("/"), {"test", "secret"},
                                                          timing.requestTimeout);
        const auto* failure = std::get_if<CalDavClient::Failure>(&found);
        ASSERT_NE(failure, nullptr);
        EXPECT_EQ(failure->reason, server.expand(QString::fromUtf8(fault.outcome)));
    } else {
        SyncService service(board, std::make_shared<CalDavBackend>(), PreferenceStore::standard(),
                            timing);
        QSignalSpy finished(&service, &SyncService::syncFinished);
        service.syncWith({server.url("/cal/"), "test", [] {
                              return SyncService::Password{"secret", {}};
                          }});
        ASSERT_TRUE(finished.wait(static_cast<int>((timing.syncTimeout + 5s).count())));
        EXPECT_LT(clock.elapsed(), timing.syncTimeout.count());
        EXPECT_TRUE(service.status().startsWith(QString::fromUtf8(fault.outcome)))
            << service.status().toStdString();
        if (service.status().contains("in time")) {
            EXPECT_TRUE(finished.wait(static_cast<int>((timing.syncTimeout + 5s).count())))
                << "no sync after a stalled one";
        }
    }
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), before);
    if (std::string_view(fault.outcome) != synced) {
        EXPECT_EQ(SyncState::load(PreferenceStore::standard()).encode(), stateBefore)
            << "a failed sync keeps what the last one left";
    }
    // The peak resident size since the reset, in MB.
    const QRegularExpression peak(QStringLiteral("VmHWM:\\s*(\\d+) kB"));
    const QString status = QString::fromLatin1(readFile(QStringLiteral("/proc/self/status")));
    EXPECT_LT(peak.match(status).captured(1).toLongLong() / 1024, peakAllowance);
    EXPECT_EQ(server.elsewhere(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Hostile,
    testing::Values(
        Fault{"good", false, synced}, Fault{"foreign-href", false, synced},
        Fault{"html", false, notAListing}, Fault{"empty-listing", false, notAListing},
        Fault{"absolute-hrefs", false, synced}, Fault{"big-listing", false, tooLarge},
        Fault{"big-resource", false, synced}, Fault{"nested", false, synced},
        Fault{"long-summary", false, synced}, Fault{"huge-summary", false, synced},
        Fault{"etag-crlf", false, synced}, Fault{"endless", false, tooLarge},
        Fault{"trickle", false, "Sync failed: no answer in time"},
        Fault{"redirect-host", false, "Sync failed: HTTP 301"},
        Fault{"redirect-port", true,
              "The server sends you on to http://127.0.0.1:{other-port}/dav/ — set up with that "
              "address if you trust it"},
        Fault{"redirect-host", true,
              "The server sends you on to http://127.0.0.2:{other-host}/dav/ — set up with that "
              "address if you trust it"}),
    [](const auto& p) {
        return QString::fromLatin1(p.param.mode).remove(u'-').toStdString() +
               (p.param.discover ? "SetUp" : "");
    });

} // namespace
