#include "connection/CustomerLocator.h"

#include "common/BuiltInValues.h"
#include "common/CentralDBHost.h"
#include "common/CloseIfOpen.h"
#include "common/ErrorReport.h"
#include "common/MsgBox.h"
#include "common/VbError.h"
#include "datalayer/Recordset.h"
#include "mysqlclient/cMySQL.h"

namespace {
constexpr const char* kAdminDatabase = "app_admin";
constexpr const char* kMismatch = "입력된 ID와 Tarn관리테이블의 ID가 일치하지 않습니다.";

// Releases the central session however the lookup ends.
class SessionGuard {
public:
    explicit SessionGuard(CustomerLocator& locator) : locator_(locator) {}
    ~SessionGuard() { locator_.DBClose(); }
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;

private:
    CustomerLocator& locator_;
};
}  // namespace

CustomerLocator::CustomerLocator() = default;
CustomerLocator::~CustomerLocator() = default;

std::string CustomerLocator::LocateCustomerDB(CustomerForm& form, CustomerIndex index) {
    const std::string id = form.IdText(index);
    const std::string dbName = form.DBName(index);
    form.WriteLog("DB IP 검색중...(" + id + " / " + dbName + ")", 0);
    if (dbName.empty()) {
        form.WriteLog("Tarn ID를 입력해주세요.", 0);
        return {};
    }
    if (!DBConnect(form, CentralDBHost(), builtin::kAdminAccount, builtin::kAdminPassword, kAdminDatabase)) return {};
    SessionGuard release(*this);

    // The name comes from what the user typed: quoted by the session's own rules.
    std::shared_ptr<ado::Recordset> rs;
    std::string result;
    if (DBQuery(rs, "SELECT user_id, app_active, app_dbip FROM app_priv WHERE app_dbname = " +
                        adminDB_->Quote(dbName)) == 0) {
        form.WriteLog("해당 DB는 존재하지 않습니다.", 0);
    } else {
        const std::string address = rs->GetFields().Item("app_dbip").GetValue().Text();
        if (rs->GetFields().Item("user_id").GetValue().Text() != id) {
            form.WriteLog(kMismatch, 0);
            form.ShowMessage(kMismatch);
        } else {
            result = address;
        }
    }
    CloseIfOpen(rs);
    return result;
}

bool CustomerLocator::DBConnect(CustomerForm& form, const std::string& server, const std::string& account,
                                const std::string& password, const std::string& database) {
    try {
        adminDB_.reset();
        adminDB_ = std::make_unique<cMySQL>("중앙 관리 데이터베이스 서버");
        return adminDB_->real_connect(server, account, password, database, 3306, "", 0, false);
    } catch (const VbError& e) {
        form.ShowMessage(ErrorReportText(e, "DBConnect", ReportOwner::Form, "FrmMain"));
        return false;
    }
}

std::int32_t CustomerLocator::DBQuery(std::shared_ptr<ado::Recordset>& recordset, const std::string& sql) {
    recordset = adminDB_ ? adminDB_->query(sql) : nullptr;
    if (!recordset) throw VbError(vberr::kObjectNotSet, "DBQuery", vberr::kObjectNotSetText);
    if (!recordset->Eof()) recordset->MoveFirst();
    return adminDB_->affected_rows();
}

void CustomerLocator::DBClose() {
    if (!adminDB_) return;
    adminDB_->free_result();
    adminDB_.reset();
}
