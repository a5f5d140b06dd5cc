#pragma once

#include "platform/ActionRequest.h"

#include <QString>
#include <QUrl>

class SyncControl;

// `quenby --sync-setup URL --user NAME [--collection NAME] [--password-file FILE]`,
// `--sync-now [--accept-deletions]`, `--sync-off` and `--restore-sync-deletions`: handed to the
// running Quenby over its action channel, or done by this process when none runs.
namespace SyncCommands {

struct Command {
    enum class Kind { SetUp, Now, NowAccepting, Off, Restore };
    Kind kind = Kind::Now;
    // For a set-up.
    QUrl server;
    QString user;
    QString collection;
    QString passwordFile;
};

// Does the command, prints what was done or why not, and answers the exit status.
int run(const Command& command);

// The running Quenby's side.
bool isSyncRequest(const ActionRequest& request);
// A request whose answer is the outcome of the sync it starts.
bool startsASync(const ActionRequest& request);
ActionReply answer(SyncControl& control, const ActionRequest& request);

} // namespace SyncCommands
