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
    // end at once (a replacement of its files is pending). Empty: no update check.
    std::function<bool()> runAutoUpdate;
};

// The program's own steps: RunAutoUpdate with the skip flag false for the running
// executable's folder and the built-in download server.
StartupSteps DefaultStartupSteps();

// Runs the sequence. Every way but a successful sign-in ends the process at once; after
// one it shows the conversion window and returns the instance lock, which the caller
// keeps for as long as the program runs:
//
//     QApplication app(argc, argv);   // message boxes and windows need it first
//     ... install the MsgBox handler ...
//     QtStartupUi ui;
//     const auto instance = StartProgram(ui);
//     return app.exec();              // runs while the conversion window is open
[[nodiscard]] platform::SingleInstanceLock StartProgram(StartupUi& ui,
                                                        const StartupSteps& steps = DefaultStartupSteps());
