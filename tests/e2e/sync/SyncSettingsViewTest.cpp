#include "panel/SyncSettingsView.h"
#include "CalDavServer.h"
#include "Processes.h"
#include "TempConfigHome.h"
#include "sync/SyncControl.h"
#include "sync/module/CalDavBackend.h"
#include "tasks/TaskBoard.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace {

TEST(SyncSettingsView, RefusesAPlainAddressElsewhereAndListsTheCollectionsFound) {
    const TempConfigHome home;
    CalDavServer server{CalDavServer::Kind::Radicale};
    server.addRadicaleCollection(QStringLiteral("errands"),
                                 R"({"tag": "VCALENDAR", "D:displayname": "Errands",
                                     "C:supported-calendar-component-set": "VTODO"})");
    server.start();
    TaskBoard board{systemNow};
    SyncService service(board, std::make_shared<CalDavBackend>(), PreferenceStore::standard());
    SyncControl control(service, PreferenceStore::standard());
    SyncSettingsView view(control);

    view.serverField()->setText(QStringLiteral("http://tasks.example.org/"));
    view.findCollections();
    EXPECT_EQ(view.statusLine()->text(),
              QStringLiteral("Address refused: only https, or plain http to this machine, "
                             "carries the password"));
    view.serverField()->setText(server.root().toString());
    view.userField()->setText(QStringLiteral("test"));
    view.passwordField()->setText(QStringLiteral("secret"));
    view.findCollections();
    ASSERT_TRUE(E2E::waitUntil([&] { return view.collectionList()->count() == 2; }));
    QStringList shown{view.collectionList()->itemText(0), view.collectionList()->itemText(1)};
    shown.sort();
    EXPECT_EQ(shown, QStringList({QStringLiteral("Errands"), QStringLiteral("tasks")}));
    EXPECT_EQ(view.statusLine()->text(), QStringLiteral("Choose the collection to sync with"));
}

// A server that takes the request and never answers keeps the search waiting.
TEST(SyncSettingsView, ClosingItGivesUpTheSearchAtOnce) {
    const TempConfigHome home;
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    TaskBoard board{systemNow};
    SyncService service(board, std::make_shared<CalDavBackend>(), PreferenceStore::standard());
    SyncControl control(service, PreferenceStore::standard());
    auto view = std::make_unique<SyncSettingsView>(control);
    view->serverField()->setText(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
    view->userField()->setText(QStringLiteral("test"));
    view->findCollections();
    ASSERT_TRUE(E2E::waitUntil([&] { return silent.hasPendingConnections(); }));
    QTcpSocket* request = silent.nextPendingConnection();
    ASSERT_TRUE(E2E::waitUntil([&] { return request->bytesAvailable() > 0; }));

    view.reset();
    // Well before the search's own 30 s: nothing is left waiting on the server.
    EXPECT_TRUE(
        E2E::waitUntil([&] { return request->state() == QAbstractSocket::UnconnectedState; },
                       std::chrono::seconds(10)));
}

} // namespace
