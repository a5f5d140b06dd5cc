#include "cli/ActionHandOver.h"
#include "cli/CommandLine.h"
#include "cli/SyncCommands.h"
#include "platform/GraphicalSession.h"
#include "platform/SessionMode.h"
#include "platform/SingleInstance.h"
#include "shell/MainInterface.h"
#include "store/PreferenceStore.h"
#include "support/Console.h"
#include "support/Memory.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Quenby"));
    if (CommandLine::needsNoDisplay(argc, argv)) {
        const QCoreApplication withoutDisplay(argc, argv);
        const CommandLine::Outcome outcome = CommandLine::handle();
        if (outcome.sync) {
            return SyncCommands::run(*outcome.sync);
        }
        return outcome.action ? handOverAction(*outcome.action) : outcome.exitCode.value_or(0);
    }
    choosePlatformForSession();
    if (const auto missing = missingGraphicalSession()) {
        Console::printLine(QStringLiteral("Quenby needs a graphical session: ") + *missing);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("app.quenby.Quenby"));
    if (const auto exitCode = CommandLine::handle().exitCode) {
        return *exitCode;
    }
    // The panel is a tool window; the application lives until Quit.
    QApplication::setQuitOnLastWindowClosed(false);

    const PreferenceStore store = PreferenceStore::standard();
    SingleInstance instance(store.directory());
    switch (instance.claim()) {
    case SingleInstance::Claim::AlreadyRunning:
        // Touch nothing: the running panel comes forward and this launch ends.
        if (!instance.notifyRunning()) {
            Console::printLine(instance.unreachable());
            return 1;
        }
        Console::printLine("Quenby is already running");
        return 0;
    case SingleInstance::Claim::Failed:
        Console::printLine("Quenby cannot start:", instance.failure());
        return 1;
    case SingleInstance::Claim::First:
        break;
    }
    // This process alone holds the store now: what a killed write left there is stale.
    store.removeLeftovers();
    if (const auto mode =
            sessionMode(SessionEnvironment::current(), QGuiApplication::platformName())) {
        Console::printLine(describe(*mode));
    }

    // Before any window is built, so that every window finds the typefaces.
    Fonts::registerApplicationFonts();
    MainInterface mainInterface;
    QObject::connect(&instance, &SingleInstance::activationRequested, [&mainInterface] {
        mainInterface.viewController().activation().activate(AppActivation::Mode::TakeFocus);
    });
    instance.setActionHandler([&mainInterface](const std::vector<ActionRequest>& requests) {
        return mainInterface.answer(requests);
    });
    mainInterface.setLateAnswers([&instance](const QByteArray& id, const ActionReply& reply) {
        instance.answerLater(id, reply);
    });
    instance.listen();
    mainInterface.launch();
    QTimer::singleShot(0, &releaseFreedMemory);
    return QApplication::exec();
}
