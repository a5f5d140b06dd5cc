#include "PanelActions.h"

#include "panel/ViewController.h"
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
};

constexpr std::array<NamedAction, shortcutActionCount> table{{
    {ShortcutAction::Add, &ViewController::keyAFunction, "The panel waits for a new task"},
    {ShortcutAction::Done, &ViewController::keyDFunction, "Done"},
    {ShortcutAction::Hour, &ViewController::keyHFunction, "Snoozed for an hour"},
    {ShortcutAction::Day, &ViewController::key1Function, "Snoozed for a day"},
    {ShortcutAction::TwoDays, &ViewController::key2Function, "Snoozed for two days"},
    {ShortcutAction::Week, &ViewController::keyWFunction, "Snoozed for a week"},
    {ShortcutAction::Tasks, &ViewController::keyTFunction, "The task list is open"},
}};

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
    const bool wasHidden = panel.isApplicationHidden();
    const QString item = shownItem(panel.board());
    if (!wasHidden && item.isEmpty()) {
        return {false, QStringLiteral("Nothing to do: the panel shows no task")};
    }
    (panel.*entry.shortcut)();
    if (wasHidden) {
        return {true, QStringLiteral("The panel was hidden and is shown again")};
    }
    return {true, QString::fromLatin1(entry.done) + QStringLiteral(": ") + item};
}

} // namespace

QStringList names() {
    QStringList all;
    for (const NamedAction& entry : table) {
        all << QString::fromLatin1(infoOf(entry.action).name);
    }
    return all;
}

ActionReply run(ViewController& panel, const ActionRequest& request) {
    const NamedAction* entry = find(request.name);
    if (!entry) {
        return {false, QStringLiteral("Unknown action '%1'").arg(request.name)};
    }
    if (!request.activationToken.isEmpty()) {
        // The Wayland platform reads it when the panel asks for the keyboard.
        qputenv("XDG_ACTIVATION_TOKEN", request.activationToken);
    }
    if (entry->action == ShortcutAction::Add && !request.text.isEmpty()) {
        panel.board().addTask(request.text);
        return {true, QStringLiteral("Added: ") + TaskBoard::taskName(request.text)};
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

} // namespace PanelActions
