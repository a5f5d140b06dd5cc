#include "cli/SyncCommands.h"

#include "cli/ActionHandOver.h"
#include "cli/PasswordPrompt.h"

#include "platform/SingleInstance.h"
#include "store/PreferenceStore.h"
#include "support/Console.h"
#include "sync/SyncControl.h"
#include "sync/SyncModule.h"
#include "sync/SyncPassword.h"
#include "tasks/TaskBoard.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <variant>

namespace SyncCommands {

namespace {

const QString setUpName = QStringLiteral("sync-setup");
const QString nowName = QStringLiteral("sync-now");
const QString offName = QStringLiteral("sync-off");
const QString acceptName = QStringLiteral("sync-accept-deletions");
const QString restoreName = QStringLiteral("sync-restore-deletions");

constexpr std::chrono::seconds networkPatience{30};
// A password, with room to spare.
constexpr qint64 passwordLineCap = 4096;
// A sync of a long list on a slow server still ends within this.
constexpr std::chrono::minutes syncPatience{5};

using Prepared = std::variant<ActionRequest, QString>;

QString notSetUp(const QString& why) {
    return QStringLiteral("Sync not set up: ") + why;
}

// The collection `wanted` names (by name or by the last part of its address); without a
// name, the only one there is.
std::variant<TaskCollection, QString> chosen(const std::vector<TaskCollection>& found,
                                             const QString& wanted) {
    QStringList names;
    for (const TaskCollection& c : found) {
        const QStringList parts = c.url.path().split(u'/', Qt::SkipEmptyParts);
        const QString segment = parts.isEmpty() ? QString() : parts.constLast();
        if (wanted.isEmpty() ? found.size() == 1 : wanted == c.name || wanted == segment) {
            return c;
        }
        names.append(c.name.isEmpty() ? segment : c.name);
    }
    if (found.empty()) {
        return notSetUp(QStringLiteral("the server holds no task collection for this user"));
    }
    const QString listed = names.join(QStringLiteral(", "));
    return notSetUp(wanted.isEmpty()
                        ? QStringLiteral("choose one with --collection: ") + listed
                        : QStringLiteral("no collection '%1'; there are: %2").arg(wanted, listed));
}

SyncPassword::Lookup readPassword(const Command& command) {
    if (!command.passwordFile.isEmpty()) {
        return SyncPassword::fromFile(command.passwordFile);
    }
    const QString none = QStringLiteral("no password typed (or give --password-file)");
    if (PasswordPrompt::canAsk()) {
        std::optional<QString> typed = PasswordPrompt::ask(
            QStringLiteral("Password for %1 at %2: ").arg(command.user, command.server.host()));
        return typed && !typed->isEmpty() ? SyncPassword::Lookup{std::move(typed), {}}
                                          : SyncPassword::Lookup{std::nullopt, none};
    }
    QTextStream input(stdin);
    const QString password = input.readLine(passwordLineCap);
    if (password.isEmpty()) {
        return {std::nullopt,
                QStringLiteral("no password on standard input (or give --password-file)")};
    }
    return {password, {}};
}

// Checks the address and the password, finds the collection and stores the password: what
// the running Quenby (or this process) then only has to put in place.
Prepared prepareSetUp(const Command& command, SyncBackend& backend) {
    if (const QString why = SyncAccount::refusal(command.server); !why.isEmpty()) {
        return notSetUp(command.server.toDisplayString(QUrl::RemoveUserInfo) +
                        QStringLiteral(" refused: ") + why);
    }
    const SyncPassword::Lookup password = readPassword(command);
    if (!password.value) {
        return notSetUp(password.failure);
    }
    const ServerCredentials credentials{command.user, *password.value};
    const SyncBackend::Found found =
        backend.findTaskCollections(command.server, credentials, networkPatience, {});
    if (const auto* failure = std::get_if<SyncBackend::Failure>(&found)) {
        return notSetUp(failure->status == 401 ? QStringLiteral("wrong user name or password")
                                               : failure->reason);
    }
    const auto collection =
        chosen(std::get<std::vector<TaskCollection>>(found), command.collection);
    if (const auto* why = std::get_if<QString>(&collection)) {
        return *why;
    }
    const SyncAccount account{
        command.server, command.user, std::get<TaskCollection>(collection).url,
        command.passwordFile.isEmpty() ? QString()
                                       : QFileInfo(command.passwordFile).absoluteFilePath()};
    if (const QString why = account.refusal(); !why.isEmpty()) {
        return notSetUp(why);
    }
    if (command.passwordFile.isEmpty()) {
        const QString failure = backend.storePassword(
            SyncPassword::entryFor(account.user, account.server), credentials.password);
        if (!failure.isEmpty()) {
            return notSetUp(QStringLiteral("the secret store refused the password (") + failure +
                            QStringLiteral("); give --password-file instead"));
        }
    }
    return ActionRequest{setUpName, QString::fromUtf8(account.encode()), {}};
}

Prepared prepare(const Command& command, SyncBackend& backend) {
    switch (command.kind) {
    case Command::Kind::SetUp:
        return prepareSetUp(command, backend);
    case Command::Kind::Now:
        return ActionRequest{nowName, {}, {}};
    case Command::Kind::NowAccepting:
        return ActionRequest{acceptName, {}, {}};
    case Command::Kind::Restore:
        return ActionRequest{restoreName, {}, {}};
    case Command::Kind::Off:
        break;
    }
    return ActionRequest{offName, {}, {}};
}

// No Quenby runs: this process holds the store and does the job, waiting for the sync it
// starts.
ActionReply runHere(const ActionRequest& request, std::shared_ptr<SyncBackend> backend) {
    const PreferenceStore store = PreferenceStore::standard();
    TaskBoard board;
    // Stopping touches no task.
    if (request.name != offName) {
        board.load();
        // The selection pass stores what loading added, so the sync state can follow.
        board.setCurrentTask();
    }
    SyncService service(board, std::move(backend), store);
    SyncControl control(service, store);
    QEventLoop loop;
    QObject::connect(&service, &SyncService::syncFinished, &loop, &QEventLoop::quit);
    // A stop ends once the secret store has let go of the password.
    QObject::connect(&control, &SyncControl::secretForgotten, &loop, &QEventLoop::quit);
    QTimer::singleShot(syncPatience, &loop, &QEventLoop::quit);
    ActionReply reply{true, {}};
    if ((request.name == nowName || request.name == acceptName) && control.account()) {
        if (request.name == acceptName) {
            service.acceptDeletions();
        }
        control.resume();
    } else {
        reply = answer(control, request);
        // Brought back tasks go up at once.
        if (request.name == restoreName && reply.done && control.account()) {
            control.resume();
        }
    }
    if (!reply.done || (request.name == restoreName && !control.account())) {
        return reply;
    }
    if (!reply.message.isEmpty()) {
        Console::printLine(std::exchange(reply.message, {}));
    }
    loop.exec();
    if (request.name == offName) {
        return reply;
    }
    // The service printed the status line.
    reply.done = service.succeeded();
    return reply;
}

} // namespace

int run(const Command& command) {
    // Loaded only once a command needs the server or the secret store.
    const auto backend = std::make_shared<SyncModule>(
        SyncModule::besideBinary(QCoreApplication::applicationFilePath()));
    const Prepared prepared = prepare(command, *backend);
    if (const auto* why = std::get_if<QString>(&prepared)) {
        Console::printLine(*why);
        return 1;
    }
    const auto& request = std::get<ActionRequest>(prepared);
    return handOver(request,
                    [&request, &backend](SingleInstance&) { return runHere(request, backend); });
}

bool startsASync(const ActionRequest& request) {
    return request.name == nowName || request.name == acceptName;
}

bool isSyncRequest(const ActionRequest& request) {
    return request.name == setUpName || request.name == nowName || request.name == offName ||
           request.name == acceptName || request.name == restoreName;
}

ActionReply answer(SyncControl& control, const ActionRequest& request) {
    SyncControl::Reply reply;
    if (request.name == setUpName) {
        const std::optional<SyncAccount> account = SyncAccount::decode(request.text.toUtf8());
        reply = account ? control.setUp(*account)
                        : SyncControl::Reply{false, notSetUp(QStringLiteral("unreadable account"))};
    } else if (request.name == offName) {
        reply = control.turnOff();
    } else if (request.name == acceptName) {
        reply = control.acceptDeletions();
    } else if (request.name == restoreName) {
        reply = control.restoreRemoved();
    } else {
        reply = control.syncNow();
    }
    return {reply.done, reply.message};
}

} // namespace SyncCommands
