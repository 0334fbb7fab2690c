#include "conversion/TableCopyRun.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

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
#include "conversion/SerialEvents.h"
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

// Rows are told to the listener this many at a time (and at the end of a table).
constexpr std::int64_t kRowsPerReport = 256;

// A pair of copy connections and the table it is copying.
struct CopyLane {
    std::shared_ptr<Connection> sourceConn, targetConn;
    std::shared_ptr<Recordset> sourceRs = std::make_shared<Recordset>();
    std::shared_ptr<Recordset> targetRs = std::make_shared<Recordset>();
    RunTable current;            // the table being copied, until it has finished
    bool targetTouched = false;  // that table has been emptied in the target
};

// A table that failed: raised an error, or differs from its source.
struct TableFailure {
    RunTable table;
    std::exception_ptr error;    // null for a table that differs from its source
    TableCheck check;            // for a table that differs
    CopyLane* lane = nullptr;    // the lane that was copying it: it can tell where the copy stood
    bool targetTouched = false;  // the table had been emptied in the target
};

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
                ReportFailure(RunTable{}, std::current_exception());
        }
        // Tables compared beside a later one that failed still get their findings.
        while (verification_ && verification_->Busy() && !stop_.Requested()) {
            const RunTable table = verification_->Table();
            try {
                const TableCheck check = verification_->Collect();
                events_.TableVerified(table, check);
            } catch (const std::exception&) {
                // The run's own failure is the one reported.
            }
        }
        for (CopyLane& lane : lanes_) NoteLoadRefusal(lane);
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

        CopyLane& first = lanes_.emplace_back();
        first.sourceConn = std::make_shared<Connection>();
        first.targetConn = std::make_shared<Connection>();
        sourceConn_ = first.sourceConn;
        targetConn_ = first.targetConn;
        stop_.Watch(sourceConn_);
        stop_.Watch(targetConn_);
        const bool sourceOpened = request_.connections.OpenCustomer(sourceConn_, kSourceCustomer, true);
        const bool opened = sourceOpened && request_.connections.OpenCustomer(targetConn_, kTargetCustomer, false);
        ThrowIfStopped();
        if (!opened) {
            const CustomerIndex side = sourceOpened ? kTargetCustomer : kSourceCustomer;
            end_.error = NotConnectedReason("DB에 연결하지 못했습니다", side);
            if (const std::string refusal = request_.connections.ConnectionRefusal(side); !refusal.empty())
                end_.error += ": " + refusal;
            return;
        }
        // Nothing has changed yet: a run into the same target elsewhere stops this one here.
        if (const auto holder = TakeTargetLock(*targetConn_)) {
            ReportFailure(RunTable{}, TargetBusyMessage(request_.customers.DBName(kTargetCustomer), *holder));
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
        OpenLanesInOneSnapshot();
        sourceRows_ = CountSourceRows();
        CopyTables();
        ThrowIfStopped();
        if (!failures_.empty()) return ReportFailures();
        if (verification_) {
            CollectVerifications(true);
            if (!failures_.empty()) return ReportFailures();
        }
        ThrowIfStopped();
        if (end_.repairError.empty()) {
            end_.outcome = RunOutcome::Completed;
            lastMessage_ = "복사가 완료되었습니다.";
        } else {
            // Every table was copied, but the source kept zero dates the copy may have
            // carried over: the run did not do all it should.
            ReportFailure(RunTable{},
                          "복사는 끝났지만 원본의 0000-00-00 날짜 고치기에 실패했습니다.\r\n" + end_.repairError);
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

    std::shared_ptr<Connection> OpenConnection(CustomerIndex index) {
        auto connection = std::make_shared<Connection>();
        stop_.Watch(connection);
        return request_.connections.OpenCustomer(connection, index, index == kSourceCustomer) ? connection : nullptr;
    }

    // The copy lanes beyond the first and the verification lane get connections of their
    // own, and every source connection begins one snapshot at the same moment. When that
    // cannot be done (an account without the right to lock tables, a table a transaction
    // keeps busy) the run copies one table at a time and compares each on its own
    // connections, in a snapshot of the first source connection alone.
    void OpenLanesInOneSnapshot() {
        const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(std::max(1, request_.tablesInFlight)),
                                                         request_.tables.size());
        std::vector<CopyLane> more;
        std::shared_ptr<Connection> checkSource, checkTarget, locker;
        try {
            while (1 + more.size() < wanted) {
                CopyLane lane;
                lane.sourceConn = OpenConnection(kSourceCustomer);
                lane.targetConn = lane.sourceConn ? OpenConnection(kTargetCustomer) : nullptr;
                if (!lane.targetConn) break;
                more.push_back(std::move(lane));
            }
            if (request_.verify) {
                checkSource = OpenConnection(kSourceCustomer);
                checkTarget = checkSource ? OpenConnection(kTargetCustomer) : nullptr;
            }
            std::vector<Connection*> readers{sourceConn_.get()};
            for (const CopyLane& lane : more) readers.push_back(lane.sourceConn.get());
            if (checkTarget) readers.push_back(checkSource.get());
            if (readers.size() > 1 && (locker = OpenConnection(kSourceCustomer))) {
                end_.outsideSnapshot = BeginSharedSnapshot(*locker, readers, request_.tables);
                locker->Close();
                for (CopyLane& lane : more) lanes_.push_back(std::move(lane));
                if (checkTarget) verification_ = std::make_unique<VerificationLane>(checkSource, checkTarget);
                return;
            }
        } catch (const VbError&) {
            ThrowIfStopped();
        }
        CloseIfOpen(locker);
        CloseIfOpen(checkSource);
        CloseIfOpen(checkTarget);
        for (CopyLane& lane : more) {
            CloseIfOpen(lane.sourceConn);
            CloseIfOpen(lane.targetConn);
        }
        ThrowIfStopped();
        end_.outsideSnapshot = BeginSourceSnapshot(*sourceConn_, request_.tables);
    }

    // Copies the selected tables, as many at a time as there are lanes, each lane taking
    // the next table. After a failure no table starts; those in flight finish.
    void CopyTables() {
        order_ = request_.tables;
        // Side by side, the biggest tables go first: a big table taken last would leave the
        // other lanes idle while it copies alone.
        if (lanes_.size() > 1)
            std::stable_sort(order_.begin(), order_.end(), [this](const RunTable& a, const RunTable& b) {
                return sourceRows_.at(a.name) > sourceRows_.at(b.name);
            });
        const std::size_t working = std::min(lanes_.size(), order_.size());
        for (std::size_t i = 0; i < working; ++i) lanes_[i].current = order_[i];
        nextTable_ = working;
        std::vector<std::thread> threads;
        for (std::size_t i = 1; i < working; ++i) threads.emplace_back([this, i] { LaneWork(lanes_[i]); });
        if (working > 0) LaneWork(lanes_.front());
        for (std::thread& thread : threads) thread.join();
    }

    // One lane's tables, on its own thread; what ends it is kept for the run to report.
    void LaneWork(CopyLane& lane) {
        try {
            do {
                CopyTable(lane);
            } while (TakeNextTable(lane));
        } catch (const RunStopped&) {
            // The run reports the tables a stop left unfinished.
        } catch (const std::exception&) {
            const std::lock_guard hold(mutex_);
            if (!stop_.Requested()) AddFailure({lane.current, std::current_exception(), {}, &lane, lane.targetTouched});
        }
    }

    bool TakeNextTable(CopyLane& lane) {
        const std::lock_guard hold(mutex_);
        if (!failures_.empty() || stop_.Requested() || nextTable_ >= order_.size()) return false;
        lane.current = order_[nextTable_++];
        return true;
    }

    void AddFailure(TableFailure failure) { failures_.push_back(std::move(failure)); }

    // A stopped run is never reported as complete: the log names each table it left
    // unfinished (its target holds only part of its rows); later tables were not touched.
    void ReportStopped() {
        end_.outcome = RunOutcome::Stopped;
        std::vector<const CopyLane*> unfinished;
        for (const CopyLane& lane : lanes_)
            if (!lane.current.name.empty()) unfinished.push_back(&lane);
        std::sort(unfinished.begin(), unfinished.end(),
                  [](const CopyLane* a, const CopyLane* b) { return a->current.row < b->current.row; });
        std::string message = "작업을 중지했습니다.";
        for (const CopyLane* lane : unfinished) {
            const std::string& name = lane->current.name;
            end_.stoppedTables.push_back(name);
            events_.LogLine(name + ": 중지됨 - 복사가 끝나지 않았습니다(미완료)");
            message += "\r\n" + name + " 테이블은 복사가 끝나지 않았습니다. 다시 시작하면 처음부터 다시 복사합니다.";
        }
        events_.LogLine("작업을 중지했습니다.");
        if (!unfinished.empty()) {
            const CopyLane& lane = *unfinished.front();
            end_.failedTable = lane.current.name;
            end_.targetTouched = lane.targetTouched;
            end_.explanation = ExplainFailure(FactsOfFailure({lane.current, nullptr, {}, nullptr, lane.targetTouched}));
        }
        lastMessage_ = message;
    }

    // The first failure ends the run and is the one reported; a table that failed beside it
    // is marked failed with its error in the log.
    void ReportFailures() {
        for (std::size_t i = 1; i < failures_.size(); ++i) {
            // A table that differs is marked 불일치 already, and named in the log.
            const TableFailure& also = failures_[i];
            if (!also.error) continue;
            const std::string report =
                ErrorReportText(AsVbError(also.error), "cmdStart_Click", ReportOwner::Form, "Form1");
            events_.TableFailed(also.table, report);
            events_.LogLine(also.table.name + ": 실패 - " + report);
        }
        const TableFailure& first = failures_.front();
        if (!first.error) return ReportMismatch(first.table, first.check);
        end_.targetTouched = first.targetTouched;
        end_.explanation = ExplainFailure(FactsOfFailure(first));
        ReportFailure(first.table, first.error);
        CloseAll();
    }

    void ReportFailure(const RunTable& table, const std::exception_ptr& failure) {
        ReportFailure(table, ErrorReportText(AsVbError(failure), "cmdStart_Click", ReportOwner::Form, "Form1"));
    }

    void ReportFailure(const RunTable& table, const std::string& report) {
        end_.outcome = RunOutcome::Failed;
        end_.error = report;
        end_.failedTable = table.name;
        if (!table.name.empty()) events_.TableFailed(table, report);
        lastMessage_ = report;
    }

    // A table that differs keeps its state, 불일치, and the run ends as failed in it.
    void ReportMismatch(const RunTable& table, const TableCheck& check) {
        end_.targetTouched = false;
        ReportFailure(RunTable{}, "검증 결과 " + table.name + " 테이블이 원본과 다릅니다.\r\n" + DifferenceText(check) +
                                      "\r\n\r\n복사가 완료되지 않았습니다.");
        end_.failedTable = table.name;
    }

    // A failed table's facts (a stop when the error is null) and where its copy stood.
    FailureFacts FactsOfFailure(const TableFailure& failure) {
        FailureFacts facts;
        facts.table = failure.table.name;
        facts.stopped = !failure.error;
        facts.targetTouched = failure.targetTouched;
        facts.targetDatabase = request_.customers.DBName(kTargetCustomer);
        if (!failure.error) return facts;
        TakeError(facts, failure.error);
        if (facts.targetTouched && failure.lane) {
            const auto key = sourceKeys_.find(failure.table.name);
            const CopyPosition position =
                FindCopyPosition(*failure.lane->sourceConn, *failure.lane->targetConn, failure.table.name,
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
            Recordset counted;
            counted.Open(std::string("SELECT COUNT(*) FROM ") + check.table, targetConn_, ado::adOpenForwardOnly,
                         ado::adLockReadOnly, ado::adCmdText);
            const std::int32_t count = Count(counted);
            counted.Close();
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

    // Copies the lane's table, then has it compared with its source.
    void CopyTable(CopyLane& lane) {
        const RunTable table = lane.current;
        const Clock::time_point started = Clock::now();
        lane.targetTouched = false;
        // The source is opened before the target is emptied, so a table the source
        // cannot give never costs the target its rows. Forward-only, it is read in the
        // order of its key a chunk at a time (a table without a unique key in one read).
        lane.sourceRs->Open(table.name, lane.sourceConn, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
        events_.StepStarted(table, RunStep::Emptying);
        lane.targetConn->Execute("DELETE FROM " + table.name);
        lane.targetTouched = true;
        // Forward-only in batch mode, the target keeps none of the rows added to it and
        // sends them many per statement, with the outcome of one insert per row: a refused
        // row reports its own error, the rows before it stay, it and those after it do not.
        lane.targetRs->Open(table.name, lane.targetConn, ado::adOpenForwardOnly, ado::adLockBatchOptimistic,
                            ado::adCmdTable);

        const std::size_t loadedBefore = ado::BulkLoadedRows(table.name);
        std::int64_t copied = 0, unreported = 0;
        events_.TableStarted(table, sourceRows_.at(table.name));

        const ColumnMapping mapping(*lane.sourceRs, *lane.targetRs, table.name);
        Recordset& source = *lane.sourceRs;
        Recordset& target = *lane.targetRs;
        try {
            while (!source.Eof()) {
                ThrowIfStopped();
                target.AddNew();
                mapping.CopyRow(source, target);
                target.Update();
                source.MoveNext();
                ++copied;
                if (++unreported == kRowsPerReport) {
                    events_.RowsCopied(table, unreported);
                    unreported = 0;
                }
            }
            target.UpdateBatch();
        } catch (...) {
            if (unreported > 0) events_.RowsCopied(table, unreported);
            if (!stop_.Requested()) SendQueuedRows(target);
            throw;
        }
        if (unreported > 0) events_.RowsCopied(table, unreported);
        source.Close();
        target.Close();
        NoteCarried(lane, table, copied, static_cast<std::int64_t>(ado::BulkLoadedRows(table.name) - loadedBefore));

        if (table.name == kOrderDetailTable) {
            events_.StepStarted(table, RunStep::Remapping);
            RemapSkippingMissingColumns(lane.targetConn);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
        if (!request_.verify || verification_) {
            // The rows the target holds now.
            events_.TableFinished(table, TargetRows(*lane.targetConn, table), seconds);
            lane.current = RunTable{};
            if (!verification_) return;
            const std::lock_guard hold(mutex_);
            // Tables before this one were compared while it copied.
            CollectVerifications(false);
            events_.TableVerifying(table);
            verification_->Start(table);
            return;
        }
        events_.TableVerifying(table);
        const TableCheck check = TableVerifier(lane.sourceConn, lane.targetConn).Verify(table.name);
        events_.TableFinished(table, check.targetRows, seconds);
        events_.TableVerified(table, check);
        lane.current = RunTable{};
        if (check.match) return;
        const std::lock_guard hold(mutex_);
        AddFailure({table, nullptr, check, nullptr, false});
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

    // Takes the verification lane's findings in table order: those ready, or all of them
    // (waiting). A table that differs, or whose comparison failed, becomes a failure.
    // Called under the run's lock once lanes copy side by side.
    void CollectVerifications(bool wait) {
        while (verification_->Busy() && (wait || verification_->Ready())) {
            const RunTable table = verification_->Table();
            try {
                const TableCheck check = verification_->Collect();
                events_.TableVerified(table, check);
                if (!check.match) AddFailure({table, nullptr, check, nullptr, false});
            } catch (const std::exception&) {
                AddFailure({table, std::current_exception(), {}, nullptr, true});
            }
        }
    }

    static std::int64_t TargetRows(Connection& target, const RunTable& table) {
        auto count = target.Execute("SELECT COUNT(*) FROM " + table.name);
        return std::stoll(count->GetFields().Item(0).GetValue().Text());
    }

    // Which way the table's rows went, and why loads ended when they did.
    void NoteCarried(CopyLane& lane, const RunTable& table, std::int64_t copied, std::int64_t loaded) {
        NoteLoadRefusal(lane);
        if (copied == 0) return;
        const std::string arrays = "배열 INSERT";
        if (loaded == 0) return events_.TableCarried(table, arrays);
        if (loaded == copied) return events_.TableCarried(table, "LOAD DATA");
        events_.TableCarried(table, "LOAD DATA " + std::to_string(loaded) + "건, " + arrays + " " +
                                        std::to_string(copied - loaded) + "건");
    }

    // The first time a target connection gives up LOAD DATA: said once in the log and
    // kept for the record. A stop cuts the load's session too: that is no refusal.
    void NoteLoadRefusal(CopyLane& lane) {
        const std::lock_guard hold(mutex_);
        if (!end_.loadRefusal.empty() || !lane.targetConn || stop_.Requested()) return;
        end_.loadRefusal = lane.targetConn->BulkLoadRefusal();
        if (!end_.loadRefusal.empty())
            events_.LogLine("LOAD DATA를 이 실행에서 더 쓰지 않습니다(나머지는 배열 INSERT): " + end_.loadRefusal);
    }

    // After a failure elsewhere (a source row that cannot be read, ...), the rows whose
    // Update came before it still go into the target, as they would had each been written
    // at once; the row being built is dropped. Should one of them be refused, that refusal
    // came first and is the error to report.
    static void SendQueuedRows(Recordset& target) {
        if (target.State() != ado::adStateOpen) return;
        target.CancelUpdate();
        target.UpdateBatch();
    }

    // A target order-detail table without one of the link columns has no links to remap.
    static void RemapSkippingMissingColumns(const std::shared_ptr<Connection>& target) {
        try {
            RemapParentLinks(target);
        } catch (const VbError& e) {
            if (e.number() != vberr::kItemNotFound) throw;
        }
    }

    void CloseAll() {
        for (CopyLane& lane : lanes_) {
            CloseIfOpen(lane.sourceRs);
            CloseIfOpen(lane.targetRs);
            CloseIfOpen(lane.sourceConn);
            CloseIfOpen(lane.targetConn);
        }
    }

    const RunRequest& request_;
    SerialEvents events_;
    RunStop& stop_;
    bool confirmed_ = false;  // past the start question: the run ends with RunFinished
    RunEnd end_;
    std::map<std::string, std::vector<std::string>> sourceKeys_;  // each table's primary key in the source
    std::map<std::string, std::int64_t> sourceRows_;              // each table's rows in the source snapshot
    std::string lastMessage_;  // the box that ends the run, shown once its work is over
    int lastMessageStyle_ = mb::kOkOnly;
    std::shared_ptr<Connection> sourceConn_, targetConn_;  // the first lane's: the run's checks use them
    std::deque<CopyLane> lanes_;                           // a deque: a lane stays where it is while others are added
    std::mutex mutex_;             // guards what lanes share: the next table, the failures, the verification lane
    std::vector<RunTable> order_;  // the tables in the order the lanes take them
    std::size_t nextTable_ = 0;    // the next of them to take
    std::vector<TableFailure> failures_;              // in the order they happened
    std::unique_ptr<VerificationLane> verification_;  // declared last: waits for its comparison before the rest goes
};

}  // namespace

int DefaultTablesInFlight() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1U, 4U));
}

void RunTableCopy(const RunRequest& request, RunEvents& events) {
    // Every thread would otherwise get a malloc arena of its own whose freed chunks stay
    // resident: with tables and comparisons side by side that came to nearly twice the memory.
    mallopt(M_ARENA_MAX, 2);
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
