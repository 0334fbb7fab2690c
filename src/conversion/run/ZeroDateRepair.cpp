#include "conversion/run/ZeroDateRepair.h"

#include "common/ErrorReport.h"
#include "common/MsgBox.h"
#include "datalayer/Connection.h"

const std::array<const char*, 16>& ZeroDateStatements() {
    static const std::array<const char*, 16> statements{
        "UPDATE billnote SET expiredate = '1900-01-01' WHERE expiredate = '0000-00-00'",
        "UPDATE billnote SET dealdate = '1900-01-01' WHERE dealdate = '0000-00-00'",
        "UPDATE customer SET lastmodify = '1900-01-01 01:01:01' WHERE lastmodify = '0000-00-00 00:00:00'",
        "UPDATE product_m SET lastmodify = '1900-01-01 01:01:01' WHERE lastmodify = '0000-00-00 00:00:00'",
        "UPDATE invn_real SET lastmodify = '1900-01-01 01:01:01' WHERE lastmodify = '0000-00-00 00:00:00'",
        "UPDATE multy_price SET lastmodify = '1900-01-01 01:01:01' WHERE lastmodify = '0000-00-00 00:00:00'",
        "UPDATE special_dc SET lastmodify = '1900-01-01 01:01:01' WHERE lastmodify = '0000-00-00 00:00:00'",
        "UPDATE special_price SET lastmodify = '1900-01-01 01:01:01' WHERE lastmodify = '0000-00-00 00:00:00'",
        "UPDATE receive SET expiredate = '1900-01-01' WHERE expiredate = '0000-00-00'",
        "UPDATE payment SET expiredate = '1900-01-01' WHERE expiredate = '0000-00-00'",
        "UPDATE estimate_m SET estidate = '1900-01-01' WHERE estidate = '0000-00-00'",
        "UPDATE special_price SET sdate = '1900-01-01' WHERE sdate = '0000-00-00'",
        "UPDATE custprodmatch SET lastmodify = '1900-01-01 01:01:01' WHERE lastmodify = '0000-00-00 00:00:00'",
        "UPDATE taxlist_m SET issuedate = '1900-01-01' WHERE issuedate = '0000-00-00'",
        "UPDATE customer SET lastemaildate = '1900-01-01 00:00:00' WHERE lastemaildate = '0000-00-00 00:00:00'",
        "UPDATE workshift SET data_created = '1900-01-01 00:00:00' WHERE data_created = '0000-00-00 00:00:00'",
    };
    return statements;
}

std::string E_FAIL_Error_Solution(const std::shared_ptr<ado::Connection>& source, RunEvents& events) {
    try {
        for (const char* statement : ZeroDateStatements()) source->Execute(statement, nullptr, ado::adCmdUnspecified);
    } catch (const VbError& e) {
        // Cut by a stop request: the run reports that itself.
        if (source->Aborted()) throw;
        std::string report = ErrorReportText(e, "E_FAIL_Error_Solution", ReportOwner::Form, "FrmMain");
        events.Question(report, mb::kOkOnly);
        return report;
    }
    return {};
}
