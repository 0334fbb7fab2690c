// A conversion run in a process of its own, as another computer starts one: the window model
// with both IDs and the tables given, every question answered Yes; prints each message box.
#include <cstdio>
#include <string>

#include "support/ScriptedMsgBox.h"
#include "window/FrmMain.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SOURCE-ID TARGET-ID TABLE...\n", argv[0]);
        return 2;
    }
    testsupport::ScriptedMsgBox boxes;
    FrmMain form;
    form.Form_Load();
    form.Show();
    form.SetIdText(0, argv[1]);
    form.SetIdText(1, argv[2]);
    form.SetChkAll(false);
    for (int i = 0; i < form.List1().ListCount(); ++i)
        for (int a = 3; a < argc; ++a)
            if (form.List1().List(i) == argv[a]) form.List1().SetSelected(i, true);
    boxes.Plan({mb::kYes});
    form.cmdStart_Click();
    for (const std::string& prompt : boxes.Prompts()) std::printf("%s\n", prompt.c_str());
    return 0;
}
