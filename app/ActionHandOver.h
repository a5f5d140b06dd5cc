#pragma once

#include "platform/ActionRequest.h"

// The side of `quenby --action …` that hands the action to the running Quenby (starting
// one first when none runs), prints its answer and gives the exit status: 0 when it was
// done, 1 when not.
int handOverAction(const ActionRequest& request);
