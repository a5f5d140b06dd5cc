#include "cli/ActionHandOver.h"

#include "store/PreferenceStore.h"
#include "support/Console.h"

#include <QCoreApplication>

namespace {

// A panel started for the action needs a moment before it listens.
constexpr std::chrono::seconds startPatience{30};

} // namespace

int handOver(const ActionRequest& request,
             const std::function<SingleInstance::Delivery(SingleInstance&)>& whenNoneRuns) {
    SingleInstance instance(PreferenceStore::standard().directory());
    SingleInstance::Delivery delivery;
    switch (instance.claim()) {
    case SingleInstance::Claim::Failed:
        Console::printLine("Quenby cannot start:", instance.failure());
        return 1;
    case SingleInstance::Claim::AlreadyRunning:
        delivery = instance.sendAction(request);
        break;
    case SingleInstance::Claim::First:
        delivery = whenNoneRuns(instance);
        break;
    }
    if (const auto* why = std::get_if<QString>(&delivery)) {
        Console::printLine(*why);
        return 1;
    }
    const auto& reply = std::get<ActionReply>(delivery);
    if (!reply.message.isEmpty()) {
        // Task names may come from a server: none may drive the terminal.
        Console::printLine(Console::escaped(reply.message));
    }
    return reply.exitStatus();
}

int handOverAction(const ActionRequest& request) {
    return handOver(request, [&request](SingleInstance& instance) -> SingleInstance::Delivery {
        // The panel starts as a process of its own, taking over the store from this one, so
        // that launches racing this one find it holding the store; this one hands it the
        // action.
        if (!instance.handOverTo(QCoreApplication::applicationFilePath())) {
            return QStringLiteral("Quenby cannot start the panel");
        }
        return instance.sendAction(request, startPatience);
    });
}
