#pragma once
#include <optional>

#include "gui/FrmMainWindow.h"
#include "startup/StartupUi.h"
#include "window/FrmMain.h"

// The start-up sequence's windows as real Qt windows: the modal login dialog, then the
// conversion window, which this object keeps for the life of the program.
class QtStartupUi : public StartupUi {
public:
    void ShowLoginModal(frmLogin& dialog) override;
    void SetSignedInUser(const std::string& user) override { user_ = user; }
    void ShowMainWindow() override;

    FrmMainWindow* MainWindow() { return window_ ? &*window_ : nullptr; }

private:
    std::string user_;
    std::optional<FrmMain> model_;
    std::optional<FrmMainWindow> window_;
};
