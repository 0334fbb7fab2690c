#include "common/ErrorReport.h"

std::string ErrorReportText(std::int32_t number, const std::string& description, const std::string& procedure,
                            ReportOwner owner, const std::string& object) {
    return "Error " + std::to_string(number) + " (" + description + ") in procedure " + procedure +
           (owner == ReportOwner::Form ? " of Form " : " of Module ") + object;
}

std::string ErrorReportText(const VbError& error, const std::string& procedure, ReportOwner owner,
                            const std::string& object) {
    return ErrorReportText(error.number(), error.description(), procedure, owner, object);
}
