#pragma once

#include "cli/SyncCommands.h"
#include "platform/ActionRequest.h"

#include <optional>

// The command-line options, read before anything else happens: --help and --version print
// and end the run; an unknown option, action or argument prints the usage and ends it with
// status 2; --action names a panel action for the running Quenby.
namespace CommandLine {

struct Outcome {
    // Set when the run ends here, with this status.
    std::optional<int> exitCode;
    // Set when the run hands an action to the panel.
    std::optional<ActionRequest> action;
    // Set when the run sets up, starts or stops the sync.
    std::optional<SyncCommands::Command> sync;
};

Outcome handle();

// Whether the arguments ask for something that needs no display (help, version, an action
// for the running panel, a sync command): the caller then reads them without starting the graphical
// application.
bool needsNoDisplay(int argc, char** argv);

} // namespace CommandLine
