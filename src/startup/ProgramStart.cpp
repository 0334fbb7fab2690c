#include "startup/ProgramStart.h"

#include "autoupdate/UpdateSite.h"
#include "autoupdate/modAutoUpdateV1_Launcher.h"
#include "common/MsgBox.h"
#include "startup/EndProcess.h"
#include "startup/StartupUi.h"
#include "startup/frmLogin.h"

StartupSteps DefaultStartupSteps() {
    return {[] { return RunAutoUpdate(false, UpdateSite::OfRunningProgram()) == UpdateOutcome::Continue; }};
}

platform::SingleInstanceLock StartProgram(StartupUi& ui, const StartupSteps& steps) {
    platform::SingleInstanceLock instance = platform::SingleInstanceLock::Acquire(kInstanceLockName);
    // A lock that cannot be checked at all must not keep the user from working.
    if (instance.outcome() == platform::SingleInstanceLock::Outcome::AlreadyRunning) {
        MsgBox("이미 프로그램이 실행중입니다.", mb::kOkOnly | mb::kInformation);
        EndProcessAtOnce();
    }

    if (steps.runAutoUpdate && !steps.runAutoUpdate()) EndProcessAtOnce();

    {
        frmLogin dialog;
        dialog.Form_Load();
        ui.ShowLoginModal(dialog);
        if (!dialog.LoginSucceeded()) EndProcessAtOnce();
        ui.SetSignedInUser(dialog.txtUserName().Text);
        // Unloading releases the dialog's session on the in-house database.
        dialog.Form_Unload();
    }

    ui.ShowMainWindow();
    return instance;
}
