#pragma once
#include "conversion/run/RunEvents.h"

// The Start button's work: checks and confirms, locates and opens both customer
// databases, checks every requested table's structure and values, asks before overwriting
// a target that holds customers or products, repairs zero dates in the source, then
// empties and copies every requested table (the biggest first when several go side by
// side), with the parent-link remap for the order-detail table. A table that fails does
// not keep the others from being copied; only 중지 ends the run early. It reports
// everything through `events`.
void RunTableCopy(const RunRequest& request, RunEvents& events);
