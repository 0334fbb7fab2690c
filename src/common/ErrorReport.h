#pragma once
#include <string>

#include "common/VbError.h"

// Every error report the program shows is built here.
//
// The common error report of a procedure with an error trap:
// "Error <n> (<description>) in procedure <name> of Form|Module <object>".
enum class ReportOwner { Form, Module };

std::string ErrorReportText(std::int32_t number, const std::string& description, const std::string& procedure,
                            ReportOwner owner, const std::string& object);
std::string ErrorReportText(const VbError& error, const std::string& procedure, ReportOwner owner,
                            const std::string& object);
// The same report of a procedure that numbers its lines: "... of Form|Module <object>. Err Line:<n>".
std::string ErrorReportText(const VbError& error, const std::string& procedure, ReportOwner owner,
                            const std::string& object, int errLine);

// The short report of a client-library call: "Error <n> (<description>)".
std::string ErrorNumberText(const VbError& error);
// The connect report of the client library, without parentheses: "Error <n> <description>".
std::string ErrorConnectText(const VbError& error);
