#pragma once

#include "HotKey/HotKey.h"
#include "store/ShortcutAction.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The seven global shortcuts, bound to the stored assignment: each press runs the handler for
// its action. Re-binding after the settings stored another assignment waits a moment, so the
// old registrations are gone before the new ones, whatever keys were swapped.
class ShortcutBinder : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(ShortcutAction)>;

    explicit ShortcutBinder(Handler handler, QObject* parent = nullptr);

    // Binds the stored assignment, replacing (and so releasing) what was bound.
    void setup();
    // Drops all seven shortcuts, then sets them up again a moment later.
    void reset();
    // The settings stored a new assignment: reset a moment later. The binder owns the delay,
    // so closing the settings window cannot cancel it.
    void keysSaved();

    const std::shared_ptr<HotKey>& hotKey(ShortcutAction action) const {
        return hotKeys_[indexOf(action)];
    }
    // Whether the desktop accepted the action's shortcut.
    bool isLive(ShortcutAction action) const;
    // The first bound action whose shortcut the desktop refused.
    std::optional<ShortcutAction> firstRefused() const;
    // The assignment last bound; empty before the first setup.
    const std::vector<std::int64_t>& assignment() const { return assignment_; }

signals:
    // The shortcuts were bound again, or the desktop changed its mind about one.
    void changed();

private:
    Handler handler_;
    std::array<std::shared_ptr<HotKey>, shortcutActionCount> hotKeys_;
    std::vector<std::int64_t> assignment_;
};
