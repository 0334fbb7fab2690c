#include "conversion/TableCopyRun.h"

#include <algorithm>
#include <memory>
#include <string>

#include "common/CloseIfOpen.h"
#include "common/ErrorReport.h"
#include "common/MsgBox.h"
#include "common/VbError.h"
#include "conversion/ColumnMapping.h"
#include "conversion/FrmMain.h"
#include "conversion/OrderDetailLinks.h"
#include "conversion/ZeroDateRepair.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

using ado::Connection;
using ado::Recordset;

// The tables checked before a run, with the most rows accepted without asking.
struct PreCheck {
    const char* label;
    const char* table;
    std::int32_t accepted;
};
constexpr PreCheck kPreChecks[] = {{"고객", "customer", 0}, {"상품", "product_m", 1}};

constexpr const char* kRepairStopped = "작업을 중지했습니다. ordbook_d의 상위 연결 처리가 끝나지 않았습니다.";

// Any failure as the run reports it: the data layer's number and description.
VbError AsVbError(const std::exception& e) {
    if (const auto* vb = dynamic_cast<const VbError*>(&e)) return *vb;
    return VbError(51, "Internal error", e.what());
}

bool IdsEntered(FrmMain& form) {
    for (CustomerIndex i = 0; i <= 1; ++i) {
        if (TrimBlanks(form.IdText(i)).empty()) {
            MsgBox("Tarn ID를 입력하세요.", mb::kOkOnly);
            form.FocusIdBox(i);
            return false;
        }
    }
    return true;
}

bool LocateBoth(FrmMain& form) {
    for (CustomerIndex i = 0; i <= 1; ++i) {
        form.SetDBHost(i, form.LocateCustomerDB(i));
        if (form.DBHost(i).empty()) return false;
    }
    for (CustomerIndex i = 0; i <= 1; ++i) form.SetLblIP(i, form.DBHost(i));
    return true;
}

std::int32_t Count(Recordset& recordset) {
    const std::int32_t count = recordset.GetFields().Item(0).GetValue().ToLong();
    return count;
}

// Forgets a stop request when the operation ends, however it ends: one made after the
// operation had finished its work must not stop the next.
class StopScope {
public:
    explicit StopScope(RunStop& stop) : stop_(stop) {}
    ~StopScope() { stop_.Begin(); }
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

private:
    RunStop& stop_;
};

class TableCopy {
public:
    explicit TableCopy(FrmMain& form) : form_(form), stop_(form.Stop()) {}

    // Every step sits inside the run's error handling, the lookups included.
    void Run() {
        const StopScope scope(stop_);
        try {
            RunSteps();
        } catch (const RunStopped&) {
            ReportStopped();
        } catch (const std::exception& e) {
            // A stop cuts the connections: the failure it causes is the stop.
            if (stop_.Requested())
                ReportStopped();
            else
                MsgBox(ErrorReportText(AsVbError(e), "cmdStart_Click", ReportOwner::Form, "Form1"), mb::kOkOnly);
        }
    }

private:
    void RunSteps() {
        if (!IdsEntered(form_)) return;
        if (MsgBox("※시작하기 전에 누리온Tarn와 누리온Velm프로그램을 종료하세요.\r\n정말 시작하시겠습니까?",
                   mb::kYesNo + mb::kQuestion + mb::kDefaultButton2) != mb::kYes)
            return;
        const bool located = LocateBoth(form_);
        ThrowIfStopped();
        if (!located) return;

        form_.SetProgressValue(0, 0);
        form_.SetProgressValue(1, 0);
        // A bar with maximum 0 means nothing to most toolkits: keep it at least 1.
        form_.SetProgressMax(1, static_cast<float>(std::max(1, form_.List1().SelCount())));
        form_.ClearLog();

        sourceConn_ = std::make_shared<Connection>();
        targetConn_ = std::make_shared<Connection>();
        sourceRs_ = std::make_shared<Recordset>();
        targetRs_ = std::make_shared<Recordset>();
        stop_.Watch(sourceConn_);
        stop_.Watch(targetConn_);
        const bool opened =
            form_.OpenMySQL(sourceConn_, kSourceCustomer, true) && form_.OpenMySQL(targetConn_, kTargetCustomer, false);
        ThrowIfStopped();
        if (!opened) return;
        if (!TargetMayBeOverwritten()) {
            CloseAll();
            return;
        }
        ThrowIfStopped();
        E_FAIL_Error_Solution(sourceConn_);
        for (int i = 0; i < form_.List1().ListCount(); ++i) {
            if (!form_.List1().Selected(i)) continue;
            ThrowIfStopped();
            form_.SetCurrentRow(i);
            CopyTable(form_.List1().List(i));
            form_.SetProgressValue(1, form_.Progress(1).Value + 1);
        }
        ThrowIfStopped();
        MsgBox("복사가 완료되었습니다.", mb::kOkOnly);
        CloseAll();
    }

    void ThrowIfStopped() const {
        if (stop_.Requested()) throw RunStopped{};
    }

    // A stopped run is never reported as complete: the log names the table it left
    // unfinished (its target holds only part of its rows); later tables were not touched.
    void ReportStopped() {
        std::string message = "작업을 중지했습니다.";
        if (!currentTable_.empty()) {
            form_.WriteLog(currentTable_ + ": 중지됨 - 복사가 끝나지 않았습니다(미완료)");
            message +=
                "\r\n" + currentTable_ + " 테이블은 복사가 끝나지 않았습니다. 다시 시작하면 처음부터 다시 복사합니다.";
        }
        form_.WriteLog("작업을 중지했습니다.");
        MsgBox(message, mb::kOkOnly);
    }

    bool TargetMayBeOverwritten() {
        for (const PreCheck& check : kPreChecks) {
            targetRs_->Open(std::string("SELECT COUNT(*) FROM ") + check.table, targetConn_, ado::adOpenForwardOnly,
                            ado::adLockReadOnly, ado::adCmdText);
            const std::int32_t count = Count(*targetRs_);
            targetRs_->Close();
            if (count <= check.accepted) continue;
            const std::string question = std::string("복사될 곳의 Tarn DB [") + check.label +
                                         "] 테이블이 비어있지 않습니다.\r\n\r\n그래도, 강제로 진행하시겠습니까?";
            if (MsgBox(question, mb::kYesNo + mb::kDefaultButton2, std::to_string(count) + "건 존재") != mb::kYes)
                return false;
        }
        return true;
    }

    void CopyTable(const std::string& table) {
        currentTable_ = table;
        // The source is opened before the target is emptied, so a table the source
        // cannot give never costs the target its rows. Forward-only, it is read in the
        // order of its key a chunk at a time (a table without a unique key in one read).
        sourceRs_->Open(table, sourceConn_, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
        targetConn_->Execute("DELETE FROM " + table);
        // Forward-only in batch mode, the target keeps none of the rows added to it and
        // sends them many per statement, with the outcome of one insert per row: a refused
        // row reports its own error, the rows before it stay, it and those after it do not.
        targetRs_->Open(table, targetConn_, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);

        std::int32_t total = 0;
        {
            auto count = sourceConn_->Execute("SELECT COUNT(*) FROM " + table);
            total = Count(*count);
        }
        if (total > 0) {
            form_.SetProgressMax(0, static_cast<float>(total));
            form_.SetProgressValue(0, 0);
        }

        const ColumnMapping mapping(*sourceRs_, *targetRs_, table);
        try {
            while (!sourceRs_->Eof()) {
                ThrowIfStopped();
                targetRs_->AddNew();
                mapping.CopyRow(*sourceRs_, *targetRs_);
                targetRs_->Update();
                sourceRs_->MoveNext();
                form_.AdvanceProgress(0);
            }
            targetRs_->UpdateBatch();
        } catch (...) {
            if (!stop_.Requested()) SendQueuedRows();
            throw;
        }
        sourceRs_->Close();
        targetRs_->Close();

        if (table == kOrderDetailTable) RemapSkippingMissingColumns();
        form_.WriteLog(table + ": " + std::to_string(total) + "건 복사");
        currentTable_.clear();
    }

    // After a failure elsewhere (a source row that cannot be read, ...), the rows whose
    // Update came before it still go into the target, as they would had each been written
    // at once; the row being built is dropped. Should one of them be refused, that refusal
    // came first and is the error to report.
    void SendQueuedRows() {
        if (targetRs_->State() != ado::adStateOpen) return;
        targetRs_->CancelUpdate();
        targetRs_->UpdateBatch();
    }

    // A target order-detail table without one of the link columns has no links to remap.
    void RemapSkippingMissingColumns() {
        try {
            RemapParentLinks(targetConn_);
        } catch (const VbError& e) {
            if (e.number() != vberr::kItemNotFound) throw;
        }
    }

    void CloseAll() {
        CloseIfOpen(sourceRs_);
        CloseIfOpen(targetRs_);
        CloseIfOpen(sourceConn_);
        CloseIfOpen(targetConn_);
    }

    FrmMain& form_;
    RunStop& stop_;
    std::string currentTable_;  // the table being copied, until its log line is written
    std::shared_ptr<Connection> sourceConn_, targetConn_;
    std::shared_ptr<Recordset> sourceRs_, targetRs_;
};

}  // namespace

void RunTableCopy(FrmMain& form) {
    TableCopy(form).Run();
}

void RunParentLinkRepair(FrmMain& form) {
    RunStop& stop = form.Stop();
    const StopScope scope(stop);
    const auto throwIfStopped = [&stop] {
        if (stop.Requested()) throw RunStopped{};
    };
    try {
        if (!IdsEntered(form)) return;
        if (MsgBox(
                "자료변환중 ordbook_d.parentseq 처리시 오류가 발생한 경우 해당 부분만 별도로 처리하는 기능입니다.\r\n"
                "정말 시작하시겠습니까?(반드시 1회만 처리해야 합니다. 중복처리시 자료가 꼬입니다.)",
                mb::kYesNo + mb::kQuestion + mb::kDefaultButton2) != mb::kYes)
            return;
        const bool located = LocateBoth(form);
        throwIfStopped();
        if (!located) return;
        auto connection = std::make_shared<Connection>();
        stop.Watch(connection);
        const bool opened = form.OpenMySQL(connection, kTargetCustomer, false);
        throwIfStopped();
        if (!opened) return;
        try {
            RemapParentLinks(connection);
        } catch (const VbError& e) {
            if (e.number() != vberr::kItemNotFound) throw;
        }
        throwIfStopped();
        CloseIfOpen(connection);
        MsgBox("처리완료!", mb::kOkOnly);
    } catch (const std::exception& e) {
        if (!stop.Requested()) {
            MsgBox(ErrorReportText(AsVbError(e), "Command1_Click", ReportOwner::Form, "Form1"), mb::kOkOnly);
            return;
        }
        MsgBox(kRepairStopped, mb::kOkOnly);
    } catch (const RunStopped&) {
        MsgBox(kRepairStopped, mb::kOkOnly);
    }
}
