#include "cli/CommandLine.h"

#include "feed/BuildSettings.h"
#include "store/ShortcutAction.h"
#include "sync/RemovedTasks.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <variant>

namespace CommandLine {

namespace {

constexpr int usageError = 2;

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// The panel actions by their command-line names, in the order of the settings.
QStringList actionNames() {
    QStringList names;
    for (const ShortcutActionInfo& info : shortcutActions) {
        names << QString::fromLatin1(info.name);
    }
    return names;
}

// The request of a valid --action, or why the arguments are not one.
std::variant<ActionRequest, QString> actionRequest(const QString& name,
                                                   const QStringList& arguments) {
    if (!actionNames().contains(name)) {
        return QStringLiteral("Unknown action '%1'; the actions are %2.")
            .arg(name, actionNames().join(QStringLiteral(", ")));
    }
    // Only add takes an argument: the task's text.
    const qsizetype allowed = name == QLatin1String("add") ? 1 : 0;
    if (arguments.size() > allowed) {
        return QStringLiteral("Unexpected argument '%1'.").arg(arguments.at(allowed));
    }
    return ActionRequest{name, arguments.value(0), qgetenv("XDG_ACTIVATION_TOKEN")};
}

struct SyncOptions {
    QCommandLineOption setUp{
        QStringLiteral("sync-setup"),
        QStringLiteral("Syncs the tasks with the CalDAV server at <url> (https, "
                       "or http to this machine); the password is asked for "
                       "at a terminal, else read from standard input, "
                       "unless --password-file."),
        QStringLiteral("url")};
    QCommandLineOption user{QStringLiteral("user"), QStringLiteral("With --sync-setup: the user."),
                            QStringLiteral("name")};
    QCommandLineOption collection{
        QStringLiteral("collection"),
        QStringLiteral("With --sync-setup: the task collection, when the user has several."),
        QStringLiteral("name")};
    QCommandLineOption passwordFile{
        QStringLiteral("password-file"),
        QStringLiteral("With --sync-setup, where no secret store runs: a file only you can "
                       "read, holding the password; read at every sync."),
        QStringLiteral("file")};
    QCommandLineOption now{QStringLiteral("sync-now"), QStringLiteral("Syncs the tasks now.")};
    QCommandLineOption accept{
        QStringLiteral("accept-deletions"),
        QStringLiteral("With --sync-now: also removes here the tasks the server no longer "
                       "lists, which a sync holds back when they are most of your tasks.")};
    QCommandLineOption restore{
        QStringLiteral("restore-sync-deletions"),
        QStringLiteral("Brings back the tasks syncs removed here in the last %1 days (from the "
                       "last %2 syncs that removed any); they sync up again.")
            .arg(RemovedTasks::keptDays)
            .arg(RemovedTasks::keptSyncs)};
    QCommandLineOption off{QStringLiteral("sync-off"),
                           QStringLiteral("Stops syncing; every task stays on this machine.")};

    QList<QCommandLineOption> all() const {
        return {setUp, user, collection, passwordFile, now, accept, off, restore};
    }

    // The command asked for, nothing when none, or why the options do not make one.
    std::variant<std::monostate, SyncCommands::Command, QString>
    command(const QCommandLineParser& parser) const {
        using Kind = SyncCommands::Command::Kind;
        const int asked = int(parser.isSet(setUp)) + int(parser.isSet(now)) +
                          int(parser.isSet(off)) + int(parser.isSet(restore));
        const bool setUpDetails =
            parser.isSet(user) || parser.isSet(collection) || parser.isSet(passwordFile);
        if (asked == 0 && !setUpDetails && !parser.isSet(accept)) {
            return std::monostate{};
        }
        if (parser.isSet(accept) && !parser.isSet(now)) {
            return QStringLiteral("--accept-deletions goes with --sync-now.");
        }
        if (asked != 1) {
            return QStringLiteral("Give one of --sync-setup, --sync-now, --sync-off and "
                                  "--restore-sync-deletions.");
        }
        if (!parser.isSet(setUp)) {
            if (setUpDetails) {
                return QStringLiteral("--user, --collection and --password-file go with "
                                      "--sync-setup.");
            }
            const Kind kind = parser.isSet(now)
                                  ? (parser.isSet(accept) ? Kind::NowAccepting : Kind::Now)
                              : parser.isSet(off) ? Kind::Off
                                                  : Kind::Restore;
            return SyncCommands::Command{kind, {}, {}, {}, {}};
        }
        if (parser.value(user).isEmpty()) {
            return QStringLiteral("--sync-setup needs --user.");
        }
        return SyncCommands::Command{Kind::SetUp, QUrl(parser.value(setUp), QUrl::StrictMode),
                                     parser.value(user), parser.value(collection),
                                     parser.value(passwordFile)};
    }
};

} // namespace

Outcome handle() {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the one task to do now, in a small panel above your windows."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Prints this help and quits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Prints the version and quits."));
    const QCommandLineOption action(
        QStringLiteral("action"),
        QStringLiteral("Hands <action> to the running Quenby (starting it if need be), as its "
                       "shortcut would: %1. \"add\" takes the new task's text as an argument.")
            .arg(actionNames().join(QStringLiteral(", "))),
        QStringLiteral("action"));
    parser.addOptions({help, version, action});
    const SyncOptions sync;
    parser.addOptions(sync.all());
    parser.addPositionalArgument(QStringLiteral("text"),
                                 QStringLiteral("With --action add: the task to add."),
                                 QStringLiteral("[text]"));
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parsed && parser.isSet(help)) {
        print(stdout, parser.helpText());
        return {0, std::nullopt, std::nullopt};
    }
    if (parsed && parser.isSet(version)) {
        print(stdout, QCoreApplication::applicationName() + u' ' +
                          QLatin1StringView(BuildSettings::version) + u'\n');
        return {0, std::nullopt, std::nullopt};
    }
    const QStringList arguments = parser.positionalArguments();
    QString error;
    const auto syncCommand = sync.command(parser);
    if (!parsed) {
        error = parser.errorText();
    } else if (const auto* why = std::get_if<QString>(&syncCommand)) {
        error = *why;
    } else if (const auto* command = std::get_if<SyncCommands::Command>(&syncCommand)) {
        if (!arguments.isEmpty() || parser.isSet(action)) {
            error = QStringLiteral("A sync option takes no action or argument.");
        } else {
            return {std::nullopt, std::nullopt, *command};
        }
    } else if (parser.isSet(action)) {
        auto request = actionRequest(parser.value(action), arguments);
        if (auto* valid = std::get_if<ActionRequest>(&request)) {
            return {std::nullopt, std::move(*valid), std::nullopt};
        }
        error = std::get<QString>(request);
    } else if (!arguments.isEmpty()) {
        error = QStringLiteral("Unexpected argument '%1'.").arg(arguments.constFirst());
    }
    if (error.isEmpty()) {
        return {};
    }
    print(stderr, error + u'\n' + parser.helpText());
    return {usageError, std::nullopt, std::nullopt};
}

bool needsNoDisplay(int argc, char** argv) {
    const std::array<std::string_view, 8> options{"-h",
                                                  "--help",
                                                  "--version",
                                                  "-v",
                                                  "--sync-now",
                                                  "--sync-off",
                                                  "--restore-sync-deletions",
                                                  "--action"};
    return std::any_of(argv + 1, argv + argc, [&options](std::string_view argument) {
        return std::find(options.begin(), options.end(), argument) != options.end() ||
               argument == "--sync-setup" || argument.starts_with("--action=") ||
               argument.starts_with("--sync-setup=");
    });
}

} // namespace CommandLine
