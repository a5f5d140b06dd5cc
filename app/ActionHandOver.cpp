#include "ActionHandOver.h"

#include "platform/SingleInstance.h"
#include "store/PreferenceStore.h"
#include "support/Console.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

// A panel started for the action needs a moment before it listens.
constexpr std::chrono::seconds startPatience{15};

// Detached, and off this process's output: a caller reading it to the end (`$(quenby …)`)
// would otherwise wait for the panel to quit.
bool startPanel() {
    QProcess panel;
    panel.setProgram(QCoreApplication::applicationFilePath());
    panel.setStandardInputFile(QProcess::nullDevice());
    panel.setStandardOutputFile(QProcess::nullDevice());
    panel.setStandardErrorFile(QProcess::nullDevice());
    return panel.startDetached();
}

} // namespace

int handOver(const ActionRequest& request,
             const std::function<std::optional<ActionReply>(SingleInstance&)>& whenNoneRuns) {
    SingleInstance instance(PreferenceStore::standard().directory());
    std::optional<ActionReply> reply;
    switch (instance.claim()) {
    case SingleInstance::Claim::Failed:
        Console::printLine("Quenby cannot start:", instance.failure());
        return 1;
    case SingleInstance::Claim::AlreadyRunning:
        reply = instance.sendAction(request);
        break;
    case SingleInstance::Claim::First:
        reply = whenNoneRuns(instance);
        break;
    }
    if (!reply) {
        Console::printLine("Quenby did not answer");
        return 1;
    }
    if (!reply->message.isEmpty()) {
        Console::printLine(reply->message);
    }
    return reply->done ? 0 : 1;
}

int handOverAction(const ActionRequest& request) {
    return handOver(request, [&request](SingleInstance& instance) -> std::optional<ActionReply> {
        // The panel starts as a process of its own, and this one hands it the action.
        instance.release();
        if (!startPanel()) {
            return ActionReply{false, QStringLiteral("Quenby cannot start the panel")};
        }
        return instance.sendAction(request, startPatience);
    });
}
