#pragma once
#include "conversion/run/RunEvents.h"

// The repair command: runs the parent-link remap by itself over the target, once both IDs
// are entered and the user has confirmed, under the target's conversion lock.
void RunParentLinkRepair(const RunRequest& request, RunEvents& events);
