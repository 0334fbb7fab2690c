#pragma once
#include "conversion/run/RunEvents.h"

// The 검증 button's work: compares the selected tables of the entered pair with their
// sources, the way a conversion checks each table after copying it, and changes nothing.
// It holds the target's conversion lock while it works, so it never runs beside a
// conversion of the same target: it is refused while one runs, and one waits for it.
void RunVerification(const RunRequest& request, RunEvents& events);
