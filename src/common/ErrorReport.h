#pragma once
#include <string>

#include "common/VbError.h"

// The common error report of a procedure with an error trap:
// "Error <n> (<description>) in procedure <name> of Form|Module <object>".
enum class ReportOwner { Form, Module };

std::string ErrorReportText(std::int32_t number, const std::string& description, const std::string& procedure,
                            ReportOwner owner, const std::string& object);
std::string ErrorReportText(const VbError& error, const std::string& procedure, ReportOwner owner,
                            const std::string& object);
