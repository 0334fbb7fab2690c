#pragma once
#include <functional>

#include "platform/SingleInstanceLock.h"

class StartupUi;

// The program's entry sequence: one instance only, the update check, the modal login,
// then the conversion window.

// The name of the lock that keeps the program to one instance per user.
inline constexpr const char* kInstanceLockName = "NuriTarnToVelm";

struct StartupSteps {
    // The update check run before the login: true to go on, false when the program must
    // end at once (a replacement of its files is pending).
    std::function<bool()> runAutoUpdate;
};

// Runs the sequence. Every way but a successful sign-in ends the process at once; after
// one it shows the conversion window and returns the instance lock, which the caller
// keeps for as long as the program runs.
[[nodiscard]] platform::SingleInstanceLock StartProgram(StartupUi& ui, const StartupSteps& steps);
