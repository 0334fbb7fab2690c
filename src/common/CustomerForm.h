#pragma once
#include <string>

#include "common/CustomerIndex.h"
#include "common/MsgBox.h"
#include "common/TrimBlanks.h"

// What the connection set-up needs of the conversion window: the two customers' ID
// texts, database names and hosts, the work log and the focus of the ID boxes. The
// window implements it, so the set-up code never depends on the window itself.
class CustomerForm {
public:
    virtual ~CustomerForm() = default;

    virtual std::string IdText(CustomerIndex index) const = 0;
    virtual std::string DBName(CustomerIndex index) const = 0;
    virtual std::string DBHost(CustomerIndex index) const = 0;
    virtual void FocusIdBox(CustomerIndex index) = 0;
    virtual void WriteLog(const std::string& message, int element = 0) = 0;
    // A message for the user, answered with OK: a message box unless the form routes it.
    virtual void ShowMessage(const std::string& message) { MsgBox(message, mb::kOkOnly); }
};
