#include "shell/PanelActions.h"

#include "panel/ViewController.h"
#include "store/ShortcutAction.h"
#include "tasks/TaskBoard.h"

#include <QtGlobal>

#include <algorithm>
#include <array>

namespace PanelActions {

namespace {

struct NamedAction {
    ShortcutAction action;
    std::function<void()> ViewController::*shortcut;
    // What the answer says was done to the shown item.
    const char* done;
    // Whether doing it changes the stored lists.
    bool changesStore;
};

constexpr std::array<NamedAction, shortcutActionCount> table{{
    {ShortcutAction::Add, &ViewController::keyAFunction, "The panel waits for a new task", false},
    {ShortcutAction::Done, &ViewController::keyDFunction, "Done", true},
    {ShortcutAction::Hour, &ViewController::keyHFunction, "Snoozed for an hour", true},
    {ShortcutAction::Day, &ViewController::key1Function, "Snoozed for a day", true},
    {ShortcutAction::TwoDays, &ViewController::key2Function, "Snoozed for two days", true},
    {ShortcutAction::Week, &ViewController::keyWFunction, "Snoozed for a week", true},
    {ShortcutAction::Tasks, &ViewController::keyTFunction, "The task list is open", false},
}};

const QString shownAgain = QStringLiteral("The panel was hidden and is shown again");

bool addsText(const ActionRequest& request) {
    return request.name == QLatin1String(infoOf(ShortcutAction::Add).name) &&
           !request.text.isEmpty();
}

const NamedAction* find(const QString& name) {
    const auto it = std::find_if(table.begin(), table.end(), [&name](const NamedAction& entry) {
        return name == QLatin1String(infoOf(entry.action).name);
    });
    return it == table.end() ? nullptr : &*it;
}

// The text of the item the panel shows; empty when there is nothing to do.
QString shownItem(const TaskBoard& board) {
    if (const Task* task = board.currentTaskItem()) {
        return task->name;
    }
    if (const SystemMessage* message = board.currentMessage()) {
        return message->message;
    }
    return {};
}

// The actions on the shown item: while the panel is hidden, their shortcuts bring it back.
ActionReply runOnShownItem(ViewController& panel, const NamedAction& entry) {
    const bool wasHidden = panel.activation().isHidden();
    const QString item = shownItem(panel.board());
    if (!wasHidden && item.isEmpty()) {
        return {false, QStringLiteral("Nothing to do: the panel shows no task")};
    }
    (panel.*entry.shortcut)();
    if (wasHidden) {
        return {true, shownAgain};
    }
    return {true, QString::fromLatin1(entry.done) + QStringLiteral(": ") + item};
}

} // namespace

ActionReply run(ViewController& panel, const ActionRequest& request) {
    const NamedAction* entry = find(request.name);
    if (!entry) {
        return {false, QStringLiteral("Unknown action '%1'").arg(request.name)};
    }
    if (!request.activationToken.isEmpty()) {
        // The Wayland platform reads it when the panel asks for the keyboard.
        qputenv("XDG_ACTIVATION_TOKEN", request.activationToken);
    }
    if (addsText(request)) {
        const QString name = TaskBoard::taskName(request.text);
        panel.board().addTask(request.text);
        return {
            true,
            (name == request.text
                 ? QStringLiteral("Added: ")
                 : QStringLiteral("Added (cut to %1 characters): ").arg(TaskBoard::maxTaskLength)) +
                name};
    }
    if (entry->action != ShortcutAction::Add && entry->action != ShortcutAction::Tasks) {
        return runOnShownItem(panel, *entry);
    }
    (panel.*entry->shortcut)();
    if (entry->action == ShortcutAction::Add && !panel.addMode()) {
        return {false, QStringLiteral("Not adding: a Quenby dialog is open")};
    }
    return {true, QString::fromLatin1(entry->done)};
}

ActionReply notStored(const ActionRequest& request, const ActionReply& reply, const QString& why) {
    const NamedAction* entry = find(request.name);
    const bool changed = addsText(request) || (entry && entry->changesStore);
    if (!reply.done || !changed || reply.message == shownAgain) {
        return reply;
    }
    const QString what =
        addsText(request) ? QStringLiteral("Added") : QString::fromLatin1(entry->done);
    return {true, what + QStringLiteral(", but not saved yet: ") + why, true};
}

} // namespace PanelActions
