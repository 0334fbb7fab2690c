#pragma once
#include <string>

#include "common/CustomerIndex.h"

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
};

// Trims leading and trailing blanks (U+0020 only), as the emptiness tests of ID,
// name and host do.
std::string TrimBlanks(const std::string& text);
