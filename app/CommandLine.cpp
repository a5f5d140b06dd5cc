#include "CommandLine.h"

#include "PanelActions.h"
#include "feed/BuildSettings.h"

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

// The request of a valid --action, or why the arguments are not one.
std::variant<ActionRequest, QString> actionRequest(const QString& name,
                                                   const QStringList& arguments) {
    if (!PanelActions::names().contains(name)) {
        return QStringLiteral("Unknown action '%1'; the actions are %2.")
            .arg(name, PanelActions::names().join(QStringLiteral(", ")));
    }
    // Only add takes an argument: the task's text.
    const qsizetype allowed = name == QLatin1String("add") ? 1 : 0;
    if (arguments.size() > allowed) {
        return QStringLiteral("Unexpected argument '%1'.").arg(arguments.at(allowed));
    }
    return ActionRequest{name, arguments.value(0), qgetenv("XDG_ACTIVATION_TOKEN")};
}

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
            .arg(PanelActions::names().join(QStringLiteral(", "))),
        QStringLiteral("action"));
    parser.addOptions({help, version, action});
    parser.addPositionalArgument(QStringLiteral("text"),
                                 QStringLiteral("With --action add: the task to add."),
                                 QStringLiteral("[text]"));
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parsed && parser.isSet(help)) {
        print(stdout, parser.helpText());
        return {0, std::nullopt};
    }
    if (parsed && parser.isSet(version)) {
        print(stdout, QCoreApplication::applicationName() +
                          QStringLiteral(" %1 (%2)\n")
                              .arg(QLatin1StringView(BuildSettings::shortVersion),
                                   QLatin1StringView(BuildSettings::buildNumber)));
        return {0, std::nullopt};
    }
    const QStringList arguments = parser.positionalArguments();
    QString error;
    if (!parsed) {
        error = parser.errorText();
    } else if (parser.isSet(action)) {
        auto request = actionRequest(parser.value(action), arguments);
        if (auto* valid = std::get_if<ActionRequest>(&request)) {
            return {std::nullopt, std::move(*valid)};
        }
        error = std::get<QString>(request);
    } else if (!arguments.isEmpty()) {
        error = QStringLiteral("Unexpected argument '%1'.").arg(arguments.constFirst());
    }
    if (error.isEmpty()) {
        return {};
    }
    print(stderr, error + u'\n' + parser.helpText());
    return {usageError, std::nullopt};
}

bool needsNoDisplay(int argc, char** argv) {
    const std::array<std::string_view, 5> options{"-h", "--help", "-v", "--version", "--action"};
    return std::any_of(argv + 1, argv + argc, [&options](std::string_view argument) {
        return std::find(options.begin(), options.end(), argument) != options.end() ||
               argument.starts_with("--action=");
    });
}

} // namespace CommandLine
