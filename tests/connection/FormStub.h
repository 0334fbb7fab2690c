#pragma once
#include <array>
#include <string>
#include <vector>

#include "common/CustomerForm.h"

// A plain window state for the connection set-up: the texts and names the window
// would hold, and what the set-up wrote to its log or where it moved the focus.
struct FormState : CustomerForm {
    std::array<std::string, 2> ids, names, hosts;
    std::vector<std::string> log;
    std::string focus;

    std::string IdText(CustomerIndex i) const override { return ids[i]; }
    std::string DBName(CustomerIndex i) const override { return names[i]; }
    std::string DBHost(CustomerIndex i) const override { return hosts[i]; }
    void FocusIdBox(CustomerIndex i) override { focus = "txtID(" + std::to_string(i) + ")"; }
    void WriteLog(const std::string& message, int) override { log.push_back(message); }
};
