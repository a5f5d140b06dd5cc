#pragma once

#include "platform/SingleInstance.h"

#include <functional>

// Hands `request` to the running Quenby or, when none runs, to `whenNoneRuns` (called while
// this process holds the store); prints the answer, its names made safe for a terminal,
// and gives the exit status: 0 done, 1 not done, 3 done but not stored yet.
int handOver(const ActionRequest& request,
             const std::function<SingleInstance::Delivery(SingleInstance&)>& whenNoneRuns);

// The side of `quenby --action …` that hands the action to the running Quenby (starting
// one first when none runs), prints its answer and gives the exit status.
int handOverAction(const ActionRequest& request);
