#include "conversion/TableCopyRun.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "common/CloseIfOpen.h"
#include "common/ErrorReport.h"
#include "common/ErrorTrap.h"
#include "common/MsgBox.h"
#include "common/VbError.h"
#include "conversion/ColumnMapping.h"
#include "conversion/CopyPosition.h"
#include "conversion/FailureExplanation.h"
#include "conversion/OrderDetailLinks.h"
#include "conversion/PreRunCheck.h"
#include "conversion/RunPreparation.h"
#include "conversion/RunStop.h"
#include "conversion/SourceSnapshot.h"
#include "conversion/TableVerification.h"
#include "conversion/TargetLock.h"
#include "conversion/VerificationLane.h"
#include "conversion/ZeroDateRepair.h"
#include "datalayer/BulkLoad.h"
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

std::int32_t Count(Recordset& recordset) {
    const std::int32_t count = recordset.GetFields().Item(0).GetValue().ToLong();
    return count;
}

using Clock = std::chrono::steady_clock;

class TableCopy {
public:
    TableCopy(const RunRequest& request, RunEvents& events) : request_(request), events_(events), stop_(request.stop) {}

    // Every step sits inside the run's error handling, the lookups included.
    void Run() {
        const StopScope scope(stop_);
        try {
            RunSteps();
        } catch (const RunStopped&) {
            ReportStopped();
        } catch (const std::exception&) {
            // A stop cuts the connections: the failure it causes is the stop.
            if (stop_.Requested())
                ReportStopped();
            else
                ReportFailure(std::current_exception());
        }
        // Tables compared beside a later one that failed still get their findings.
        while (lane_ && lane_->Busy() && !stop_.Requested()) {
            const RunTable table = lane_->Table();
            try {
                const TableCheck check = lane_->Collect();
                events_.TableVerified(table, check);
            } catch (const std::exception&) {
                // The run's own failure is the one reported.
            }
        }
        NoteLoadRefusal();
        // The work ends here: its times and record do not wait for the last box's answer.
        if (confirmed_) events_.RunFinished(end_);
        if (!lastMessage_.empty()) events_.Question(lastMessage_, lastMessageStyle_);
    }

private:
    void RunSteps() {
        if (!IdsEntered(request_, events_)) return;
        if (events_.Question("※시작하기 전에 누리온Tarn와 누리온Velm프로그램을 종료하세요.\r\n정말 시작하시겠습니까?",
                             mb::kYesNo + mb::kQuestion + mb::kDefaultButton2) != mb::kYes)
            return;
        confirmed_ = true;
        end_.outcome = RunOutcome::NotConnected;
        events_.RunStarted(request_.tables);
        const bool located = LocateBoth(request_, events_);
        ThrowIfStopped();
        if (!located) {
            end_.error = NotConnectedReason("DB를 찾지 못했습니다");
            return;
        }

        sourceConn_ = std::make_shared<Connection>();
        targetConn_ = std::make_shared<Connection>();
        sourceRs_ = std::make_shared<Recordset>();
        targetRs_ = std::make_shared<Recordset>();
        stop_.Watch(sourceConn_);
        stop_.Watch(targetConn_);
        const bool sourceOpened = request_.connections.OpenCustomer(sourceConn_, kSourceCustomer, true);
        const bool opened = sourceOpened && request_.connections.OpenCustomer(targetConn_, kTargetCustomer, false);
        ThrowIfStopped();
        if (!opened) {
            end_.error =
                NotConnectedReason("DB에 연결하지 못했습니다", sourceOpened ? kTargetCustomer : kSourceCustomer);
            return;
        }
        // Nothing has changed yet: a run into the same target elsewhere stops this one here.
        if (const auto holder = TakeTargetLock(*targetConn_)) {
            ReportFailure(TargetBusyMessage(request_.customers.DBName(kTargetCustomer), *holder));
            CloseAll();
            return;
        }
        if (!StructureFits()) {
            CloseAll();
            return;
        }
        if (!TargetMayBeOverwritten()) {
            end_.outcome = RunOutcome::Declined;
            CloseAll();
            return;
        }
        ThrowIfStopped();
        end_.repairError = E_FAIL_Error_Solution(sourceConn_);
        if (request_.verify) lane_ = OpenVerificationLane();
        if (!lane_) end_.outsideSnapshot = BeginSourceSnapshot(*sourceConn_, request_.tables);
        sourceRows_ = CountSourceRows();
        const TableVerifier verifier(sourceConn_, targetConn_);
        for (const RunTable& table : request_.tables) {
            ThrowIfStopped();
            if (!CopyTable(table, verifier)) return;
        }
        if (lane_ && !CollectVerifications(true)) return;
        ThrowIfStopped();
        if (end_.repairError.empty()) {
            end_.outcome = RunOutcome::Completed;
            lastMessage_ = "복사가 완료되었습니다.";
        } else {
            // Every table was copied, but the source kept zero dates the copy may have
            // carried over: the run did not do all it should.
            ReportFailure("복사는 끝났지만 원본의 0000-00-00 날짜 고치기에 실패했습니다.\r\n" + end_.repairError);
        }
        CloseAll();
    }

    // Why the run could not reach a database: the side that failed (by default the first
    // without a host), its database and its server.
    std::string NotConnectedReason(const std::string& what, CustomerIndex side = -1) const {
        const CustomerForm& customers = request_.customers;
        if (side < 0) side = customers.DBHost(kSourceCustomer).empty() ? kSourceCustomer : kTargetCustomer;
        const std::string host = customers.DBHost(side);
        return std::string(side == kSourceCustomer ? "원본(Tarn) " : "대상(Velm) ") + what +
               " (ID: " + customers.IdText(side) + ", DB: " + customers.DBName(side) +
               (host.empty() ? "" : ", 서버: " + host) + ")";
    }

    void ThrowIfStopped() const {
        if (stop_.Requested()) throw RunStopped{};
    }

    // A stopped run is never reported as complete: the log names the table it left
    // unfinished (its target holds only part of its rows); later tables were not touched.
    void ReportStopped() {
        end_.outcome = RunOutcome::Stopped;
        end_.failedTable = current_.name;
        std::string message = "작업을 중지했습니다.";
        if (!current_.name.empty()) {
            events_.LogLine(current_.name + ": 중지됨 - 복사가 끝나지 않았습니다(미완료)");
            message +=
                "\r\n" + current_.name + " 테이블은 복사가 끝나지 않았습니다. 다시 시작하면 처음부터 다시 복사합니다.";
        }
        events_.LogLine("작업을 중지했습니다.");
        if (!current_.name.empty()) end_.explanation = ExplainFailure(FactsOfFailure(nullptr));
        lastMessage_ = message;
    }

    void ReportFailure(const std::exception_ptr& failure) {
        if (!current_.name.empty()) end_.explanation = ExplainFailure(FactsOfFailure(failure));
        ReportFailure(ErrorReportText(AsVbError(failure), "cmdStart_Click", ReportOwner::Form, "Form1"));
    }

    void ReportFailure(const std::string& report) {
        end_.outcome = RunOutcome::Failed;
        end_.error = report;
        end_.failedTable = current_.name;
        if (!current_.name.empty()) events_.TableFailed(current_, report);
        lastMessage_ = report;
    }

    // The failure of the current table (a stop when `failure` is null) and where its copy stood.
    FailureFacts FactsOfFailure(const std::exception_ptr& failure) {
        FailureFacts facts;
        facts.table = current_.name;
        facts.stopped = !failure;
        facts.targetTouched = end_.targetTouched;
        facts.targetDatabase = request_.customers.DBName(kTargetCustomer);
        if (!failure) return facts;
        TakeError(facts, failure);
        if (facts.targetTouched) {
            const auto key = sourceKeys_.find(current_.name);
            const CopyPosition position =
                FindCopyPosition(*sourceConn_, *targetConn_, current_.name,
                                 key == sourceKeys_.end() ? std::vector<std::string>{} : key->second);
            facts.rowsInTarget = position.rowsInTarget;
            end_.failedTableRows = position.rowsInTarget;
            facts.refusedRow = position.nextSourceRow;
        }
        return facts;
    }

    // Every selected table's structure on both sides, before anything is changed; the
    // problems are listed all at once and the run ends without touching a table.
    bool StructureFits() {
        events_.StepStarted(RunTable{}, RunStep::Checking);
        TablesChecked checked = CheckTables(*sourceConn_, *targetConn_, request_.tables);
        events_.RowsEstimated(checked.estimatedRows);
        sourceKeys_ = std::move(checked.sourceKeys);
        if (checked.problems.empty()) return true;
        end_.outcome = RunOutcome::Failed;
        end_.error = lastMessage_ = CheckProblemsMessage(checked.problems);
        end_.explanation = ExplainCheckProblems(checked.problems);
        lastMessageStyle_ = mb::kOkOnly + mb::kExclamation;
        return false;
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
            if (events_.Question(question, mb::kYesNo + mb::kDefaultButton2, std::to_string(count) + "건 존재") !=
                mb::kYes) {
                end_.declinedLabel = check.label;
                end_.declinedCount = count;
                return false;
            }
        }
        return true;
    }

    // Copies one table, then compares it with its source; false when they differ (the run
    // has then ended as failed).
    bool CopyTable(const RunTable& table, const TableVerifier& verifier) {
        const Clock::time_point started = Clock::now();
        current_ = table;
        end_.targetTouched = false;
        // The source is opened before the target is emptied, so a table the source
        // cannot give never costs the target its rows. Forward-only, it is read in the
        // order of its key a chunk at a time (a table without a unique key in one read).
        sourceRs_->Open(table.name, sourceConn_, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
        events_.StepStarted(table, RunStep::Emptying);
        targetConn_->Execute("DELETE FROM " + table.name);
        end_.targetTouched = true;
        // Forward-only in batch mode, the target keeps none of the rows added to it and
        // sends them many per statement, with the outcome of one insert per row: a refused
        // row reports its own error, the rows before it stay, it and those after it do not.
        targetRs_->Open(table.name, targetConn_, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);

        const std::size_t loadedBefore = ado::BulkLoadedRows(table.name);
        std::int64_t copied = 0;
        events_.TableStarted(table, sourceRows_.at(table.name));

        const ColumnMapping mapping(*sourceRs_, *targetRs_, table.name);
        try {
            while (!sourceRs_->Eof()) {
                ThrowIfStopped();
                targetRs_->AddNew();
                mapping.CopyRow(*sourceRs_, *targetRs_);
                targetRs_->Update();
                sourceRs_->MoveNext();
                ++copied;
                events_.RowCopied();
            }
            targetRs_->UpdateBatch();
        } catch (...) {
            if (!stop_.Requested()) SendQueuedRows();
            throw;
        }
        sourceRs_->Close();
        targetRs_->Close();
        NoteCarried(table, copied, static_cast<std::int64_t>(ado::BulkLoadedRows(table.name) - loadedBefore));

        if (table.name == kOrderDetailTable) {
            events_.StepStarted(table, RunStep::Remapping);
            RemapSkippingMissingColumns();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
        if (!request_.verify || lane_) {
            // The rows the target holds now.
            events_.TableFinished(table, TargetRows(table), seconds);
            current_ = RunTable{};
            if (!lane_) return true;
            // Tables before this one were compared while it copied.
            if (!CollectVerifications(false)) return false;
            events_.TableVerifying(table);
            lane_->Start(table);
            return true;
        }
        events_.TableVerifying(table);
        const TableCheck check = verifier.Verify(table.name);
        events_.TableFinished(table, check.targetRows, seconds);
        events_.TableVerified(table, check);
        current_ = RunTable{};
        return Matches(table, check);
    }

    // Every selected source table's rows, counted in the snapshot the copy reads, in one
    // exchange: a far server costs a round trip per statement.
    std::map<std::string, std::int64_t> CountSourceRows() {
        events_.StepStarted(RunTable{}, RunStep::Counting);
        std::string sql;
        for (const RunTable& table : request_.tables)
            sql += (sql.empty() ? "SELECT " : ", ") + std::string("(SELECT COUNT(*) FROM ") + table.name + ")";
        std::map<std::string, std::int64_t> rows;
        if (sql.empty()) return rows;
        auto counts = sourceConn_->Execute(sql);
        for (std::size_t i = 0; i < request_.tables.size(); ++i)
            rows[request_.tables[i].name] = counts->GetFields().Item(static_cast<int>(i)).GetValue().ToLong();
        return rows;
    }

    // A lane of its own compares each table while the next one copies; without one (the
    // account may not lock tables) each table is compared on the run's connections.
    std::unique_ptr<VerificationLane> OpenVerificationLane() {
        const auto open = [this](CustomerIndex index) {
            auto connection = std::make_shared<Connection>();
            stop_.Watch(connection);
            return request_.connections.OpenCustomer(connection, index, index == kSourceCustomer)
                       ? connection
                       : std::shared_ptr<Connection>();
        };
        return VerificationLane::Open(*sourceConn_, request_.tables, open, end_.outsideSnapshot);
    }

    // Takes the lane's findings in table order: those ready, or all of them (waiting);
    // false when a table differs (the run has then ended as failed).
    bool CollectVerifications(bool wait) {
        while (lane_->Busy() && (wait || lane_->Ready())) {
            const RunTable table = lane_->Table();
            TableCheck check;
            try {
                check = lane_->Collect();
            } catch (...) {
                current_ = table;
                throw;
            }
            events_.TableVerified(table, check);
            if (!Matches(table, check)) return false;
        }
        return true;
    }

    // A table that differs keeps its state, 불일치, and the run ends as failed in it.
    bool Matches(const RunTable& table, const TableCheck& check) {
        if (check.match) return true;
        end_.targetTouched = false;
        ReportFailure("검증 결과 " + table.name + " 테이블이 원본과 다릅니다.\r\n" + DifferenceText(check) +
                      "\r\n\r\n복사가 완료되지 않았습니다.");
        end_.failedTable = table.name;
        return false;
    }

    std::int64_t TargetRows(const RunTable& table) {
        auto count = targetConn_->Execute("SELECT COUNT(*) FROM " + table.name);
        return std::stoll(count->GetFields().Item(0).GetValue().Text());
    }

    // Which way the table's rows went, and why loads ended when they did.
    void NoteCarried(const RunTable& table, std::int64_t copied, std::int64_t loaded) {
        NoteLoadRefusal();
        if (copied == 0) return;
        const std::string arrays = "배열 INSERT";
        if (loaded == 0) return events_.TableCarried(table, arrays);
        if (loaded == copied) return events_.TableCarried(table, "LOAD DATA");
        events_.TableCarried(table, "LOAD DATA " + std::to_string(loaded) + "건, " + arrays + " " +
                                        std::to_string(copied - loaded) + "건");
    }

    // The first time the target connection gives up LOAD DATA: said once in the log and
    // kept for the record. A stop cuts the load's session too: that is no refusal.
    void NoteLoadRefusal() {
        if (!end_.loadRefusal.empty() || !targetConn_ || stop_.Requested()) return;
        end_.loadRefusal = targetConn_->BulkLoadRefusal();
        if (!end_.loadRefusal.empty())
            events_.LogLine("LOAD DATA를 이 실행에서 더 쓰지 않습니다(나머지는 배열 INSERT): " + end_.loadRefusal);
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

    const RunRequest& request_;
    RunEvents& events_;
    RunStop& stop_;
    bool confirmed_ = false;  // past the start question: the run ends with RunFinished
    RunEnd end_;
    RunTable current_;                                            // the table being copied, until it has finished
    std::map<std::string, std::vector<std::string>> sourceKeys_;  // each table's primary key in the source
    std::map<std::string, std::int64_t> sourceRows_;              // each table's rows in the source snapshot
    std::string lastMessage_;  // the box that ends the run, shown once its work is over
    int lastMessageStyle_ = mb::kOkOnly;
    std::shared_ptr<Connection> sourceConn_, targetConn_;
    std::shared_ptr<Recordset> sourceRs_, targetRs_;
    std::unique_ptr<VerificationLane> lane_;  // declared last: waits for its comparison before the rest goes
};

}  // namespace

void RunTableCopy(const RunRequest& request, RunEvents& events) {
    TableCopy(request, events).Run();
}

void RunParentLinkRepair(const RunRequest& request, RunEvents& events) {
    RunStop& stop = request.stop;
    const StopScope scope(stop);
    const auto throwIfStopped = [&stop] {
        if (stop.Requested()) throw RunStopped{};
    };
    try {
        if (!IdsEntered(request, events)) return;
        if (events.Question(
                "자료변환중 ordbook_d.parentseq 처리시 오류가 발생한 경우 해당 부분만 별도로 처리하는 기능입니다.\r\n"
                "정말 시작하시겠습니까?(반드시 1회만 처리해야 합니다. 중복처리시 자료가 꼬입니다.)",
                mb::kYesNo + mb::kQuestion + mb::kDefaultButton2) != mb::kYes)
            return;
        const bool located = LocateBoth(request, events);
        throwIfStopped();
        if (!located) return;
        auto connection = std::make_shared<Connection>();
        stop.Watch(connection);
        const bool opened = request.connections.OpenCustomer(connection, kTargetCustomer, false);
        throwIfStopped();
        if (!opened) return;
        if (const auto holder = TakeTargetLock(*connection)) {
            events.Question(TargetBusyMessage(request.customers.DBName(kTargetCustomer), *holder), mb::kOkOnly);
            return;
        }
        try {
            RemapParentLinks(connection);
        } catch (const VbError& e) {
            if (e.number() != vberr::kItemNotFound) throw;
        }
        throwIfStopped();
        CloseIfOpen(connection);
        events.Question("처리완료!", mb::kOkOnly);
    } catch (const std::exception&) {
        if (!stop.Requested()) {
            events.Question(
                ErrorReportText(AsVbError(std::current_exception()), "Command1_Click", ReportOwner::Form, "Form1"),
                mb::kOkOnly);
            return;
        }
        events.Question(kRepairStopped, mb::kOkOnly);
    } catch (const RunStopped&) {
        events.Question(kRepairStopped, mb::kOkOnly);
    }
}
