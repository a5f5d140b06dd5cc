#include "CommandLine.h"

#include "feed/BuildSettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

namespace CommandLine {

namespace {

constexpr int usageError = 2;

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

std::optional<int> handle() {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the one task to do now, in a small panel above your windows."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Prints this help and quits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Prints the version and quits."));
    parser.addOptions({help, version});
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        const QString error = parsed ? QStringLiteral("Unexpected argument '%1'.")
                                           .arg(parser.positionalArguments().constFirst())
                                     : parser.errorText();
        print(stderr, error + u'\n' + parser.helpText());
        return usageError;
    }
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QCoreApplication::applicationName() +
                          QStringLiteral(" %1 (%2)\n")
                              .arg(QLatin1StringView(BuildSettings::shortVersion),
                                   QLatin1StringView(BuildSettings::buildNumber)));
        return 0;
    }
    return std::nullopt;
}

bool asksToPrint(int argc, char** argv) {
    const std::array<std::string_view, 4> printing{"-h", "--help", "-v", "--version"};
    return std::any_of(argv + 1, argv + argc, [&printing](const char* argument) {
        return std::find(printing.begin(), printing.end(), argument) != printing.end();
    });
}

} // namespace CommandLine
