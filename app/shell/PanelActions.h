#pragma once

#include "platform/ActionRequest.h"

class ViewController;

// The panel's shortcut actions by the names the command line gives them
// (`quenby --action done`), for desktops where the application cannot have global
// shortcuts of its own and the user binds these commands instead.
namespace PanelActions {

// Runs `request` on the panel as its shortcut would, except that an add with a text adds
// that text at once (cut to a task's length, which the answer then says). Says what it did,
// or why it did nothing.
ActionReply run(ViewController& panel, const ActionRequest& request);

// The answer to `request`, answered `reply`, once the store refused what it changed for
// `why`: the change is held in memory, and the answer says so.
ActionReply notStored(const ActionRequest& request, const ActionReply& reply, const QString& why);

} // namespace PanelActions
