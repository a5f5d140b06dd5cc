#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The seven actions a global shortcut can run, in the order of the stored assignment.
enum class ShortcutAction { Add, Done, Hour, Day, TwoDays, Week, Tasks };

struct ShortcutActionInfo {
    ShortcutAction action;
    // Position of its default key among the assignable keys (A–Z, then 0–9).
    std::int64_t defaultKeyIndex;
    // How long the action snoozes the shown item; nothing for the other actions.
    std::optional<double> snoozeHours;
    // What the action does, as the settings list it.
    const char* title;
    // Its name on the command line and, as the shortcut's id, to the desktop.
    const char* name;
};

inline constexpr std::array<ShortcutActionInfo, 7> shortcutActions{{
    {ShortcutAction::Add, 0, std::nullopt, "Add a task", "add"},
    {ShortcutAction::Done, 3, std::nullopt, "Mark done", "done"},
    {ShortcutAction::Hour, 7, 1, "Snooze for an hour", "hour"},
    {ShortcutAction::Day, 27, 24, "Snooze for a day", "day"},
    {ShortcutAction::TwoDays, 28, 48, "Snooze for two days", "two-days"},
    {ShortcutAction::Week, 22, 168, "Snooze for a week", "week"},
    {ShortcutAction::Tasks, 19, std::nullopt, "Edit all tasks", "tasks"},
}};

inline constexpr std::size_t shortcutActionCount = shortcutActions.size();

constexpr std::size_t indexOf(ShortcutAction action) {
    return static_cast<std::size_t>(action);
}

constexpr const ShortcutActionInfo& infoOf(ShortcutAction action) {
    return shortcutActions[indexOf(action)];
}

// The table is indexed by the enumeration.
static_assert([] {
    for (std::size_t i = 0; i < shortcutActionCount; ++i) {
        if (indexOf(shortcutActions[i].action) != i) {
            return false;
        }
    }
    return true;
}());
