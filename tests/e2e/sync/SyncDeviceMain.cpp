// A device's sync in a process of its own, for tests that kill it midway:
// sync_device STORE-FOLDER COLLECTION-URL AT
#include "KeptSync.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fputs("usage: sync_device STORE-FOLDER COLLECTION-URL AT\n", stderr);
        return 2;
    }
    const PreferenceStore store(args[1]);
    std::vector<Task> tasks = Json::decodeTasks(store.data(QStringLiteral("tasks")).value_or("[]"))
                                  .value_or(std::vector<Task>{});
    CalDavClient client(QUrl(args[2]), {QStringLiteral("test"), QStringLiteral("secret")});
    const QString failure = syncAndKeep(store, tasks, client, args[3].toDouble());
    std::puts(failure.isEmpty() ? "synced" : qPrintable(failure));
    return failure.isEmpty() ? 0 : 1;
}
