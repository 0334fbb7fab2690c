#pragma once
#include "conversion/RunEvents.h"

// The Start button's work: checks and confirms, locates and opens both customer
// databases, asks before overwriting a target that holds customers or products,
// repairs zero dates in the source, then empties and copies every requested table,
// several side by side and the biggest first, with the parent-link remap for the
// order-detail table. It reports everything through `events`.
void RunTableCopy(const RunRequest& request, RunEvents& events);

// The repair command: runs the parent-link remap by itself over the target.
void RunParentLinkRepair(const RunRequest& request, RunEvents& events);
