#pragma once

#include "platform/ActionRequest.h"

#include <functional>
#include <optional>

class SingleInstance;

// Hands `request` to the running Quenby or, when none runs, to `whenNoneRuns` (called while
// this process holds the store); prints the answer and gives the exit status: 0 when it was
// done, 1 when not.
int handOver(const ActionRequest& request,
             const std::function<std::optional<ActionReply>(SingleInstance&)>& whenNoneRuns);

// The side of `quenby --action …` that hands the action to the running Quenby (starting
// one first when none runs), prints its answer and gives the exit status: 0 when it was
// done, 1 when not.
int handOverAction(const ActionRequest& request);
