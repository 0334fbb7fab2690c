#include "connection/OpenMySQL.h"

#include "common/BuiltInValues.h"
#include "common/DatabaseTls.h"
#include "common/ErrorReport.h"
#include "common/MsgBox.h"
#include "common/VbError.h"
#include "connection/ConnectionTarget.h"
#include "connection/OdbcDataSources.h"
#include "datalayer/Connection.h"

namespace {
// The data sources name no port: the driver's default, where every customer server listens.
constexpr int kCustomerServerPort = 3306;
}  // namespace

std::string DataSourceName(CustomerIndex index) {
    return "varok_DataConv160316_" + std::to_string(index);
}

std::string CustomerServerName(const CustomerForm& form, CustomerIndex index) {
    return std::string(index == kSourceCustomer ? "원본" : "대상") + " 데이터베이스 서버 " +
           TrimBlanks(form.DBHost(index));
}

bool OpenMySQL(CustomerForm& form, OdbcDataSources& dataSources, const std::shared_ptr<ado::Connection>& connection,
               CustomerIndex index, bool withOptions, std::string* refusal) {
    if (refusal) refusal->clear();
    // The step being carried out, shown as the report's line number.
    int line = 0;
    try {
        line = 1;
        if (TrimBlanks(form.IdText(index)).empty()) {
            MsgBox("tarn정보의 [ID]가 입력되지 않았습니다.", mb::kOkOnly);
            form.FocusIdBox(index);
            return false;
        }
        line = 2;
        if (form.DBName(index).empty()) {
            MsgBox("tarn정보의 [DB명]을 알 수 없습니다.", mb::kOkOnly);
            return false;
        }
        line = 3;
        if (TrimBlanks(form.DBHost(index)).empty()) {
            MsgBox("tarn정보의 [HOST]를 알 수 없습니다.", mb::kOkOnly);
            return false;
        }
        line = 4;
        // Opening through a definition that was not (re)written could reach another
        // customer's database: without a fresh definition nothing is opened.
        if (!dataSources.CreateMyODBC(DataSourceName(index), form.DBName(index),
                                      "VarokSoft Data Convert 160316-" + std::to_string(index), form.DBHost(index),
                                      form.IdText(index)))
            return false;
        line = 5;
        if (withOptions) {
            connection->SetConnectionTimeout(30);
            connection->SetCursorLocation(ado::adUseClient);
        }
        line = 6;
        connection->Open("DSN=" + DataSourceName(index) + ";PWD=" + builtin::kCustomerPassword, "", "", -1);
        line = 7;
        RequireIntendedServer(*connection, DataSourceName(index), form.DBName(index), TrimBlanks(form.DBHost(index)),
                              kCustomerServerPort, CustomerServerName(form, index));
        return true;
    } catch (const VbError& e) {
        // Stopped by the user while connecting: the run says so itself.
        if (connection->Aborted()) return false;
        // A refusal of TLS stands alone: it names the server and what was wrong with it.
        std::string refused = e.number() == kNotEncrypted ? e.description()
                              : line == 6 ? dbtls::Refusal(CustomerServerName(form, index), e.description())
                                          : std::string();
        MsgBox(refused.empty() ? ErrorReportText(e, "OpenMySQL", ReportOwner::Form, "Form1", line) : refused,
               mb::kOkOnly);
        if (refusal) *refusal = std::move(refused);
        return false;
    }
}
