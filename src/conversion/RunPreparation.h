#pragma once
#include "conversion/RunEvents.h"
#include "conversion/RunStop.h"

// The steps every operation of the window begins with.

// Both IDs entered: otherwise says so, puts the focus into the first empty box and
// returns false.
bool IdsEntered(const RunRequest& request, RunEvents& events);

// Locates both customer databases; false when one cannot be found (the user was told).
bool LocateBoth(const RunRequest& request, RunEvents& events);

// Forgets a stop request when the operation ends, however it ends: one made after the
// operation had finished its work must not stop the next.
class StopScope {
public:
    explicit StopScope(RunStop& stop) : stop_(stop) {}
    ~StopScope() { stop_.Begin(); }
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

private:
    RunStop& stop_;
};
