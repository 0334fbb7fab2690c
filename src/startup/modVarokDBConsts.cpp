#include "startup/modVarokDBConsts.h"

#include <exception>
#include <memory>

#include "common/CloseIfOpen.h"
#include "common/ErrorReport.h"
#include "common/ErrorTrap.h"
#include "common/MsgBox.h"
#include "common/VbError.h"
#include "datalayer/Recordset.h"
#include "mysqlclient/cMySQL.h"
#include "platform/NetworkAdapters.h"
#include "startup/InhouseAccount.h"

namespace {
constexpr const char* kModule = "modVarokDBConsts";

// Shows the error being handled as the procedure's error report.
void ReportUnexpected(const char* procedure) {
    MsgBox(ErrorReportText(AsVbError(std::current_exception()), procedure, ReportOwner::Module, kModule), mb::kOkOnly);
}
}  // namespace

std::string MacAddressWithoutSeparators(const std::string& address) {
    std::string out;
    for (char c : address)
        if (c != '-' && c != ':') out += c;
    return out;
}

std::string GetMyMacAddress() {
    try {
        for (const auto& adapter : platform::EnabledNetworkAdapters()) {
            // An adapter without an address is passed over; the first with one decides.
            if (adapter.hardwareAddress) return MacAddressWithoutSeparators(*adapter.hardwareAddress);
        }
    } catch (...) {
        ReportUnexpected("GetMyMacAddress");
    }
    return {};
}

std::string GetAllowMyPC() {
    std::string result;
    std::unique_ptr<cMySQL> session;
    try {
        const std::string mac = GetMyMacAddress();
        session = std::make_unique<cMySQL>(inhouse::kServerName);
        if (session->real_connect(CentralDBHost(), inhouse::kUser, inhouse::kPassword, inhouse::kDatabase,
                                  inhouse::kPort, "", 0, false)) {
            // The address holds only hexadecimal digits as read here; it is quoted all
            // the same, so that no other text can ever reach the statement.
            std::shared_ptr<ado::Recordset> rs =
                session->query(std::string("SELECT user_id FROM user_mac") +
                               " WHERE mac_addr = " + session->Quote(mac) + " AND block = 0");
            const std::int32_t count = session->affected_rows();
            if (count > 0 && rs) {
                // The recordset arrives on its last row; the first row the server
                // returned names the user.
                rs->MoveFirst();
                result = (*rs)["user_id"].GetValue().Text();
            }
            CloseIfOpen(rs);
        }
    } catch (...) {
        ReportUnexpected("GetAllowMyPC");
    }
    // The session goes whatever happened above; releasing it closes the connection.
    if (session) {
        session->free_result();
        session.reset();
    }
    return result;
}
