// A device killed mid-sync: it runs one sync of the stored task list against the collection
// given, stores the resulting tasks when told to, and dies before it stores the sync state.
#include "store/DBManager.h"
#include "store/PreferenceStore.h"
#include "sync/SyncEngine.h"
#include "sync/caldav/CalDavClient.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        return 2;
    }
    const PreferenceStore store = PreferenceStore::standard();
    CalDavClient client(QUrl(args[1]), {QStringLiteral("test"), QStringLiteral("secret")});
    const SyncEngine::Outcome outcome =
        SyncEngine::run(client, DBManager::getTaskList(), SyncState::load(store), Date{500});
    if (!outcome.failure.isEmpty() || !outcome.tasks) {
        return 1;
    }
    if (args[2] == QStringLiteral("tasks-stored") && !DBManager::saveTaskList(*outcome.tasks)) {
        return 1;
    }
    std::raise(SIGKILL);
}
