#include "common/ErrorReport.h"

namespace {
std::string NumberAndDescription(std::int32_t number, const std::string& description) {
    return "Error " + std::to_string(number) + " (" + description + ")";
}
}  // namespace

std::string ErrorReportText(std::int32_t number, const std::string& description, const std::string& procedure,
                            ReportOwner owner, const std::string& object) {
    return NumberAndDescription(number, description) + " in procedure " + procedure +
           (owner == ReportOwner::Form ? " of Form " : " of Module ") + object;
}

std::string ErrorReportText(const VbError& error, const std::string& procedure, ReportOwner owner,
                            const std::string& object) {
    return ErrorReportText(error.number(), error.description(), procedure, owner, object);
}

std::string ErrorReportText(const VbError& error, const std::string& procedure, ReportOwner owner,
                            const std::string& object, int errLine) {
    return ErrorReportText(error, procedure, owner, object) + ". Err Line:" + std::to_string(errLine);
}

std::string ErrorNumberText(const VbError& error) {
    return NumberAndDescription(error.number(), error.description());
}

std::string ErrorConnectText(const VbError& error) {
    return "Error " + std::to_string(error.number()) + " " + error.description();
}
