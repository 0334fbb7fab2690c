#include "conversion/run/TableCopyRun.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>

#include "common/CloseIfOpen.h"
#include "common/ErrorReport.h"
#include "common/ErrorTrap.h"
#include "common/MsgBox.h"
#include "common/VbError.h"
#include "conversion/checks/PreRunCheck.h"
#include "conversion/checks/TargetRoom.h"
#include "conversion/copy/ColumnMapping.h"
#include "conversion/copy/CopyPosition.h"
#include "conversion/copy/SourceSnapshot.h"
#include "conversion/copy/TableCopier.h"
#include "conversion/run/FailureExplanation.h"
#include "conversion/run/KeptShadows.h"
#include "conversion/run/LateKeys.h"
#include "conversion/run/OrderDetailLinks.h"
#include "conversion/run/RunPreparation.h"
#include "conversion/run/RunStop.h"
#include "conversion/run/SerialEvents.h"
#include "conversion/run/ShadowTables.h"
#include "conversion/run/SilenceWatch.h"
#include "conversion/run/TablesInFlight.h"
#include "conversion/run/TargetLock.h"
#include "conversion/run/ZeroDateRepair.h"
#include "conversion/verification/TableVerification.h"
#include "conversion/verification/VerificationLane.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"
#include "datalayer/odbc/SqlText.h"

namespace {

using ado::Connection;
using ado::Recordset;
using ado::odbc::QuoteIdentifier;

// The tables checked before a run, with the most rows accepted without asking.
struct PreCheck {
    const char* label;
    const char* table;
    std::int32_t accepted;
};
constexpr PreCheck kPreChecks[] = {{"고객", "customer", 0}, {"상품", "product_m", 1}};

// From this many source rows on, a shadow's plain keys are built after its rows are in: one
// sorted build costs less than keeping them up row by row, and an ALTER more than a small
// table's upkeep.
constexpr std::int64_t kLateKeysFromRows = 200000;

std::int32_t Count(Recordset& recordset) {
    const std::int32_t count = recordset.GetFields().Item(0).GetValue().ToLong();
    return count;
}

using Clock = std::chrono::steady_clock;

// A pair of copy connections and the table it is copying. Owned by the run; while the
// lanes work, each is used by its own thread alone (its activity is read by the watch).
struct CopyLane {
    std::shared_ptr<Connection> sourceConn, targetConn;
    std::shared_ptr<Recordset> sourceRs = std::make_shared<Recordset>();
    std::shared_ptr<Recordset> targetRs = std::make_shared<Recordset>();
    RunTable current;            // the table being copied, until it has finished
    bool targetTouched = false;  // that table has been emptied in the target
    bool shadowed = false;       // that table is copied into its shadow, beside the target's
    std::string writing;         // where its rows go: its shadow, or the target table itself
    LateKeys lateKeys;           // the shadow's keys built once its rows are in
    std::unique_ptr<LaneActivity> activity = std::make_unique<LaneActivity>();
};

// A table that failed: raised an error, or differs from its source.
struct TableFailure {
    RunTable table;
    std::exception_ptr error;    // null for a table that differs from its source
    TableCheck check;            // for a table that differs
    bool targetTouched = false;  // the table had been emptied in the target
    FailureFacts facts;          // for an error: what it was and where the copy stood
    std::string report;          // for an error: its report, as a box shows it
};

// What the verification lane found of one table: its check, or what its comparison raised.
struct Finding {
    RunTable table;
    TableCheck check;
    std::exception_ptr error;
};

std::string Report(const std::exception_ptr& error) {
    return ErrorReportText(AsVbError(error), "cmdStart_Click", ReportOwner::Form, "Form1");
}

// A lane's recordsets after its table failed: rows still queued are dropped (those the
// target took stay), and the next table gets fresh ones.
void DiscardRecordsets(CopyLane& lane) {
    for (std::shared_ptr<Recordset>* recordset : {&lane.sourceRs, &lane.targetRs}) {
        try {
            if ((*recordset)->State() == ado::adStateOpen) {
                if (recordset == &lane.targetRs) (*recordset)->CancelBatch();
                (*recordset)->Close();
            }
        } catch (const std::exception&) {  // NOLINT(bugprone-empty-catch): the table's own error is the one told
        }
        *recordset = std::make_shared<Recordset>();
    }
}

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
                ReportFailure(RunTable{}, Report(std::current_exception()));
        }
        watch_.reset();
        lockWatch_.reset();
        // Tables compared beside a later one that failed still get their findings.
        while (verification_ && verification_->Busy() && !stop_.Requested()) {
            const RunTable table = verification_->Table();
            try {
                const TableCheck check = verification_->Collect();
                events_.TableVerified(table, check);
                if (targetConn_ && targetConn_->State() == ado::adStateOpen) Keep(*targetConn_, table, check);
            } catch (const std::exception&) {
                // The run's own failure is the one reported.
            }
        }
        for (CopyLane& lane : lanes_) NoteLoadRefusal(lane);
        DiscardShadows();
        NameKept();
        TellTargetUnchanged();
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
        DropLeftovers();
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
        end_.repairError = E_FAIL_Error_Solution(sourceConn_, events_);
        OpenLanesInOneSnapshot();
        WatchSilence();
        WatchTargetLock();
        sourceRows_ = CountSourceRows();
        CopyTables();
        ThrowIfStopped();
        if (verification_) {
            // The run waits on both servers' comparisons now.
            lanes_.front().activity->Await(ServerSide::Both);
            Tell(TakeFindings(true), *targetConn_);
            lanes_.front().activity->Idle();
        }
        ThrowIfStopped();
        if (!failures_.empty() || !laneError_.empty()) return ReportFailures();
        if (!SwapIn()) return;
        ForgetKept();
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
        const int inFlight = request_.tablesInFlight == kTablesInFlightByDistance
                                 ? TablesInFlight(*sourceConn_, *targetConn_)
                                 : std::max(1, request_.tablesInFlight);
        const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(inFlight), request_.tables.size());
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

    // From here on a server that stops answering is named on the status line. A watch that
    // cannot start leaves the run unwatched, not stopped.
    void WatchSilence() {
        std::deque<LaneActivity*> activities;
        for (CopyLane& lane : lanes_) activities.push_back(lane.activity.get());
        try {
            watch_ = std::make_unique<SilenceWatch>(activities, events_, request_.silentAfter);
        } catch (const std::system_error& e) {
            events_.LogLine(std::string("서버 응답 감시를 시작하지 못했습니다: ") + e.what());
        }
    }

    // From here on the lanes write: should the session holding the target lock end, every
    // lane stops at once (a stop), and the run ends failed. A watch that cannot start leaves
    // the swap's own check of the lock.
    void WatchTargetLock() {
        try {
            if (auto watcher = OpenConnection(kTargetCustomer))
                lockWatch_ = std::make_unique<TargetLockWatch>(std::move(watcher), [this] {
                    if (stop_.Requested()) return;  // a stop cuts the lock's session too
                    lockLost_ = true;
                    stop_.Request();
                });
        } catch (const std::exception& e) {
            ThrowIfStopped();
            events_.LogLine(std::string("대상 DB 변환 잠금 감시를 시작하지 못했습니다: ") + e.what());
        }
    }

    // Copies the selected tables, as many at a time as there are lanes, each lane taking
    // the next table. A table that fails does not hold up the others: every table is
    // tried, until 중지.
    void CopyTables() {
        order_ = request_.tables;
        // Side by side, the biggest tables go first: a big table taken last would leave the
        // other lanes idle while it copies alone.
        if (lanes_.size() > 1)
            std::stable_sort(order_.begin(), order_.end(), [this](const RunTable& a, const RunTable& b) {
                return sourceRows_.at(a.name) > sourceRows_.at(b.name);
            });
        nextTable_ = 0;
        const std::size_t working = std::min(lanes_.size(), order_.size());
        std::vector<std::jthread> threads;
        for (std::size_t i = 1; i < working; ++i) {
            try {
                threads.emplace_back([this, i] { LaneWork(lanes_[i]); });
            } catch (const std::system_error& e) {
                // The lanes that did start take its tables; the run is not complete for it.
                laneError_ = std::string("복사 작업 줄을 시작하지 못했습니다: ") + e.what();
                break;
            }
        }
        if (working > 0) LaneWork(lanes_.front());
    }

    // One lane's tables, on its own thread. A table's error is kept for the run to report,
    // and the lane takes the next table.
    void LaneWork(CopyLane& lane) {
        while (TakeNextTable(lane)) {
            try {
                CopyTable(lane);
            } catch (const RunStopped&) {
                return;  // the run reports the tables a stop left unfinished
            } catch (const std::exception&) {
                if (stop_.Requested()) return;
                KeepFailure(lane, std::current_exception());
            }
        }
    }

    bool TakeNextTable(CopyLane& lane) {
        lane.activity->Idle();
        const std::lock_guard hold(mutex_);
        if (stop_.Requested() || nextTable_ >= order_.size()) return false;
        lane.current = order_[nextTable_++];
        return true;
    }

    // The lane's table failed: where its copy stood is asked now, on the lane's own
    // connections, before the lane goes on with another table.
    void KeepFailure(CopyLane& lane, const std::exception_ptr& error) {
        TableFailure failure{lane.current, error, {}, lane.targetTouched, {}, Report(error)};
        DiscardRecordsets(lane);
        lane.activity->Await(ServerSide::Both);
        failure.facts = FactsOfFailure(failure, &lane);
        events_.TableFailed(failure.table, failure.report);
        lane.current = RunTable{};
        const std::lock_guard hold(mutex_);
        failures_.push_back(std::move(failure));
    }

    // A stopped run is never reported as complete: the log names each table it left
    // unfinished (its target holds only part of its rows); later tables were not touched.
    void ReportStopped() {
        if (lockLost_) return ReportLockLost();
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
            end_.explanation =
                ExplainFailure(FactsOfFailure({lane.current, nullptr, {}, lane.targetTouched, {}, {}}, nullptr));
        }
        lastMessage_ = message;
    }

    // The target lock's session ended and the lanes were stopped: each table in flight failed
    // for it, and nothing went in.
    void ReportLockLost() {
        const std::string message =
            "대상 DB의 변환 잠금이 풀려 모든 복사를 바로 멈췄습니다(잠금을 쥔 서버 연결이 끊겼습니다).\r\n"
            "새 자료는 바꿔 넣지 않았습니다. 다시 시작하세요.";
        std::vector<const CopyLane*> unfinished;
        for (const CopyLane& lane : lanes_)
            if (!lane.current.name.empty()) unfinished.push_back(&lane);
        std::ranges::sort(unfinished, {}, [](const CopyLane* lane) { return lane->current.row; });
        for (const CopyLane* lane : unfinished) {
            events_.TableFailed(lane->current, message);
            end_.failedTables.push_back({lane->current.name, lane->targetTouched, false});
        }
        ReportFailure(RunTable{}, message);
        if (!unfinished.empty()) {
            end_.failedTable = unfinished.front()->current.name;
            end_.targetTouched = unfinished.front()->targetTouched;
        }
        end_.explanation = {"원인: 대상 DB의 변환 잠금을 쥔 서버 연결이 끊겨, 모든 복사를 멈췄습니다",
                            "다음 할 일: 다시 시작하세요. 채우다 만 새 테이블은 다음 실행이 지웁니다."};
    }

    // Every table that failed or differs is named, first in time first: the box and the
    // error give each one's report, the explanation each failed table's cause and state.
    void ReportFailures() {
        end_.outcome = RunOutcome::Failed;
        std::vector<std::string> parts, names;
        bool differs = false;
        for (const TableFailure& failure : failures_) {
            const std::string& name = failure.table.name;
            names.push_back(name);
            end_.failedTables.push_back({name, failure.error && failure.targetTouched, !failure.error});
            if (!failure.error) {
                differs = true;
                parts.push_back("검증 결과 " + name + " 테이블이 원본과 다릅니다.\r\n" + DifferenceText(failure.check));
                continue;
            }
            parts.push_back(failures_.size() > 1 ? name + ": " + failure.report : failure.report);
            if (failures_.size() > 1) events_.LogLine(name + ": 실패 - " + failure.report);
            const std::vector<std::string> lines = ExplainFailure(failure.facts);
            end_.explanation.insert(end_.explanation.end(), lines.begin(), lines.end());
            if (name == kOrderDetailTable)
                end_.explanation.push_back(
                    "상위 연결(parentseq)은 다시 잇지 않았습니다: 이 표를 다시 복사하면 "
                    "함께 다시 잇습니다.");
        }
        if (!laneError_.empty()) {
            parts.push_back(laneError_);
            end_.explanation.push_back("원인: " + laneError_);
        }
        std::string message;
        if (names.size() > 1) {
            message = "테이블 " + std::to_string(names.size()) + "개가 실패했습니다:";
            for (const std::string& name : names) message += " " + name;
            message += "\r\n\r\n";
        }
        for (std::size_t i = 0; i < parts.size(); ++i) message += (i > 0 ? "\r\n\r\n" : "") + parts[i];
        if (differs) message += "\r\n\r\n복사가 완료되지 않았습니다.";
        end_.error = lastMessage_ = message;
        if (!failures_.empty()) {
            const TableFailure& first = failures_.front();
            end_.failedTable = first.table.name;
            end_.targetTouched = first.error && first.targetTouched;
            if (first.error) end_.failedTableRows = first.facts.rowsInTarget;
        }
        CloseAll();
    }

    void ReportFailure(const RunTable& table, const std::string& report) {
        end_.outcome = RunOutcome::Failed;
        end_.error = report;
        end_.failedTable = table.name;
        if (!table.name.empty()) events_.TableFailed(table, report);
        lastMessage_ = report;
    }

    // A failed table's facts (a stop when the error is null) and, asked of the lane's
    // connections, where its copy stood.
    FailureFacts FactsOfFailure(const TableFailure& failure, CopyLane* lane) {
        FailureFacts facts;
        facts.table = failure.table.name;
        facts.stopped = !failure.error;
        facts.targetTouched = failure.targetTouched;
        facts.targetDatabase = request_.customers.DBName(kTargetCustomer);
        if (!failure.error) return facts;
        TakeError(facts, failure.error);
        if (lane && (facts.targetTouched || lane->shadowed)) {
            const auto key = sourceKeys_.find(failure.table.name);
            const CopyPosition position =
                FindCopyPosition(*lane->sourceConn, *lane->targetConn, failure.table.name,
                                 key == sourceKeys_.end() ? std::vector<std::string>{} : key->second, lane->writing);
            facts.rowsInTarget = position.rowsInTarget;
            facts.refusedRow = position.nextSourceRow;
        }
        return facts;
    }

    // Every selected table's structure and values on both sides, before anything is
    // changed; the problems are listed all at once and the run ends without touching a table.
    bool StructureFits() {
        events_.StepStarted(RunTable{}, RunStep::Checking);
        TablesChecked checked = CheckTables(*sourceConn_, *targetConn_, request_.tables);
        events_.RowsEstimated(checked.estimatedRows);
        events_.BytesEstimated(checked.estimatedBytes);
        sourceKeys_ = std::move(checked.sourceKeys);
        for (const std::string& note : checked.notes) events_.LogLine(note);
        swapPlan_ = PlanSwap(*targetConn_, request_.tables);
        end_.inPlace = swapPlan_.Lines(request_.tables);
        // The tables swapped in are filled beside the old ones: the target needs their room too.
        std::int64_t shadowBytes = 0;
        for (std::size_t i = 0; i < request_.tables.size(); ++i)
            if (swapPlan_.Swaps(request_.tables[i].name)) shadowBytes += checked.estimatedBytes[i];
        if (std::string room = RoomProblem(*targetConn_, shadowBytes); !room.empty())
            checked.problems.push_back(std::move(room));
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

    // Copies the lane's table, then has it compared with its source. The lane's activity
    // says which server it waits on at each call that may wait.
    void CopyTable(CopyLane& lane) {
        const RunTable table = lane.current;
        LaneActivity& activity = *lane.activity;
        const Clock::time_point started = Clock::now();
        lane.targetTouched = false;
        lane.lateKeys = {};
        lane.shadowed = swapPlan_.Swaps(table.name);
        lane.writing = lane.shadowed ? ShadowName(table.name) : table.name;
        const std::string& written = lane.writing;
        if (ReuseKept(lane)) return;
        // The source is opened before the target is emptied, so a table the source
        // cannot give never costs the target its rows. Forward-only, it is read in the
        // order of its key a chunk at a time (a table without a unique key in one read).
        activity.Await(ServerSide::Source);
        lane.sourceRs->Open(table.name, lane.sourceConn, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
        PrepareTarget(lane, table);
        const std::vector<std::string> computed = ado::ComputedColumns(*lane.targetConn, written);
        // Forward-only in batch mode, the target keeps none of the rows added to it and
        // sends them many per statement, with the outcome of one insert per row: a refused
        // row reports its own error, the rows before it stay, it and those after it do not.
        lane.targetRs->Open(written, lane.targetConn, ado::adOpenForwardOnly, ado::adLockBatchOptimistic,
                            ado::adCmdTable);

        events_.TableStarted(table, sourceRows_.at(table.name));
        const ColumnMapping mapping(*lane.sourceRs, *lane.targetRs, table.name, computed);
        const CopyOutcome outcome =
            CopyRows(*lane.sourceRs, *lane.targetRs, mapping,
                     {[this] { ThrowIfStopped(); }, [this] { return stop_.Requested(); },
                      [&activity](bool target) { activity.Await(target ? ServerSide::Target : ServerSide::Source); },
                      [&](std::int64_t rows) { events_.RowsCopied(table, rows); }});
        lane.sourceRs->Close();
        lane.targetRs->Close();
        NoteCarried(lane, table, outcome);

        if (table.name == kOrderDetailTable) {
            events_.StepStarted(table, RunStep::Remapping);
            RemapSkippingMissingColumns(lane.targetConn, written);
        }
        if (!lane.lateKeys.Empty()) {
            events_.StepStarted(table, RunStep::BuildingKeys);
            activity.Await(ServerSide::Target);
            BuildKeys(*lane.targetConn, written, lane.lateKeys);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
        if (!request_.verify || verification_) {
            // The rows the target holds now: a shadow, made empty, holds just those copied
            // (each insert's outcome was checked); a table emptied in place is counted.
            events_.TableFinished(table, lane.shadowed ? outcome.rows : TargetRows(*lane.targetConn, written), seconds);
            lane.current = RunTable{};
            if (!verification_) return;
            events_.TableVerifying(table);
            std::vector<Finding> findings;
            {
                const std::lock_guard hold(mutex_);
                // Tables before this one were compared while it copied.
                findings = TakeFindings(false);
                verification_->Start(table, written);
            }
            return Tell(findings, *lane.targetConn);
        }
        events_.TableVerifying(table);
        activity.Await(ServerSide::Both);
        const TableCheck check = TableVerifier(lane.sourceConn, lane.targetConn).Verify(table.name, written);
        events_.TableFinished(table, check.targetRows, seconds);
        events_.TableVerified(table, check);
        Keep(*lane.targetConn, table, check);
        lane.current = RunTable{};
        if (check.match) return;
        const std::lock_guard hold(mutex_);
        failures_.push_back({table, nullptr, check, false, {}, {}});
    }

    // Every selected source table's rows, counted in the snapshot the copy reads, in one
    // exchange: a far server costs a round trip per statement.
    std::map<std::string, std::int64_t> CountSourceRows() {
        events_.StepStarted(RunTable{}, RunStep::Counting);
        std::string sql;
        for (const RunTable& table : request_.tables)
            sql += (sql.empty() ? "SELECT " : ", ") + std::string("(SELECT COUNT(*) FROM ") +
                   QuoteIdentifier(table.name) + ")";
        std::map<std::string, std::int64_t> rows;
        if (sql.empty()) return rows;
        lanes_.front().activity->Await(ServerSide::Source);
        auto counts = sourceConn_->Execute(sql);
        lanes_.front().activity->Idle();
        std::vector<std::int64_t> counted;
        for (std::size_t i = 0; i < request_.tables.size(); ++i) {
            counted.push_back(counts->GetFields().Item(static_cast<int>(i)).GetValue().ToLong());
            rows[request_.tables[i].name] = counted.back();
        }
        // The counts replace the server's estimates: the time left reckons with them.
        events_.RowsEstimated(counted);
        return rows;
    }

    // Takes the verification lane's findings in table order: those ready, or all of them
    // (waiting). Called under the run's lock once lanes copy side by side; what they say
    // is told after it (Tell).
    std::vector<Finding> TakeFindings(bool wait) {
        std::vector<Finding> findings;
        while (verification_->Busy() && (wait || verification_->Ready())) {
            Finding finding{verification_->Table(), {}, nullptr};
            try {
                finding.check = verification_->Collect();
            } catch (const std::exception&) {
                finding.error = std::current_exception();
            }
            findings.push_back(std::move(finding));
        }
        return findings;
    }

    // A table that differs, or whose comparison failed, becomes a failure; one that matches
    // has its copy marked as kept, on `target`.
    void Tell(const std::vector<Finding>& findings, Connection& target) {
        for (const Finding& finding : findings) {
            TableFailure failure{finding.table, finding.error, finding.check, finding.error != nullptr, {}, {}};
            if (finding.error) {
                failure.report = Report(finding.error);
                failure.facts = FactsOfFailure(failure, nullptr);
                events_.TableFailed(finding.table, failure.report);
            } else {
                events_.TableVerified(finding.table, finding.check);
                Keep(target, finding.table, finding.check);
                if (finding.check.match) continue;
            }
            const std::lock_guard hold(mutex_);
            failures_.push_back(std::move(failure));
        }
    }

    static std::int64_t TargetRows(Connection& target, const std::string& table) {
        auto count = target.Execute("SELECT COUNT(*) FROM " + QuoteIdentifier(table));
        return std::stoll(count->GetFields().Item(0).GetValue().Text());
    }

    // Which way the table's rows went, and why loads ended when they did.
    void NoteCarried(CopyLane& lane, const RunTable& table, const CopyOutcome& outcome) {
        NoteLoadRefusal(lane);
        if (outcome.rows > 0) events_.TableCarried(table, outcome);
    }

    // The first time a target connection gives up LOAD DATA: said once in the log and
    // kept for the record. A stop cuts the load's session too: that is no refusal.
    void NoteLoadRefusal(CopyLane& lane) {
        if (!lane.targetConn || stop_.Requested()) return;
        const std::string refusal = lane.targetConn->BulkLoadRefusal();
        if (refusal.empty()) return;
        {
            const std::lock_guard hold(mutex_);
            if (!end_.loadRefusal.empty()) return;
            end_.loadRefusal = refusal;
        }
        events_.LogLine("LOAD DATA를 이 실행에서 더 쓰지 않습니다(나머지는 배열 INSERT): " + refusal);
    }

    // A target order-detail table without one of the link columns has no links to remap.
    static void RemapSkippingMissingColumns(const std::shared_ptr<Connection>& target, const std::string& table) {
        try {
            RemapParentLinks(target, table);
        } catch (const VbError& e) {
            if (e.number() != vberr::kItemNotFound) throw;
        }
    }

    // The table's rows go into its shadow, made afresh, or into the table itself, emptied.
    void PrepareTarget(CopyLane& lane, const RunTable& table) {
        lane.activity->Await(ServerSide::Target);
        if (lane.shadowed) {
            events_.StepStarted(table, RunStep::MakingShadow);
            {
                // Named before it is made: one half made is dropped too.
                const std::lock_guard hold(mutex_);
                madeShadows_ = true;
                if (std::ranges::find(shadows_, table.name) == shadows_.end()) shadows_.push_back(table.name);
            }
            const std::string definition = MakeShadow(*lane.targetConn, table.name);
            if (sourceRows_.at(table.name) < kLateKeysFromRows) return;
            lane.lateKeys = PlainSecondaryKeys(*lane.targetConn, table.name, definition);
            TakeOffKeys(*lane.targetConn, lane.writing, lane.lateKeys);
            return;
        }
        events_.StepStarted(table, RunStep::Emptying);
        {
            const std::lock_guard hold(mutex_);
            emptied_.push_back(table.name);
        }
        lane.targetConn->Execute("DELETE FROM " + QuoteIdentifier(table.name));
        lane.targetTouched = true;
    }

    // Copies a killed run left in the target: dropped under the target lock, and named.
    void DropLeftovers() {
        const CustomerForm& customers = request_.customers;
        pair_ = CopyPair(customers.DBHost(kSourceCustomer), customers.DBName(kSourceCustomer),
                         customers.DBName(kTargetCustomer));
        Leftovers found = SortLeftovers(*targetConn_, pair_, request_.tables);
        kept_ = std::move(found.kept);
        for (const auto& [table, kept] : kept_) marked_.insert(table);
        end_.leftovers = std::move(found.dropped);
        if (end_.leftovers.empty()) return;
        std::string names;
        for (const std::string& table : end_.leftovers) names += " " + table;
        events_.LogLine("지난 실행이 남긴 임시 테이블 " + std::to_string(end_.leftovers.size()) +
                        "개를 지웠습니다:" + names);
    }

    // Every table was copied and verified: the shadows go in at once. False, with the
    // target as it was, when other sessions keep its tables.
    bool SwapIn() {
        if (shadows_.empty()) return true;
        events_.StepStarted(RunTable{}, RunStep::Swapping);
        lanes_.front().activity->Await(ServerSide::Target);
        if (!HoldsTargetLock(*targetConn_)) {
            lanes_.front().activity->Idle();
            ReportFailure(RunTable{},
                          "대상 DB의 변환 잠금이 풀려 새 자료를 바꿔 넣지 않았습니다(서버와의 연결이 "
                          "끊겼던 것 같습니다).\r\n대상 데이터베이스는 바뀌지 않았습니다. 다시 시작하세요.");
            CloseAll();
            return false;
        }
        const bool swapped = SwapInShadows(*targetConn_, shadows_);
        lanes_.front().activity->Idle();
        if (swapped) {
            shadows_.clear();
            swapped_ = true;
            return true;
        }
        ReportFailure(RunTable{}, TargetInUseMessage(request_.customers.DBName(kTargetCustomer)));
        end_.explanation = {"원인: 대상 DB의 테이블을 다른 프로그램(누리온Velm)이 쓰고 있어 바꿔 넣지 못했습니다",
                            "다음 할 일: 누리온Velm을 닫은 뒤 다시 시작하세요."};
        CloseAll();
        return false;
    }

    // Shadows not swapped in are dropped on the run's own target connection, under its lock,
    // but those verified, which stay for the next run. What cannot be dropped now the next run drops.
    void DiscardShadows() {
        if (shadows_.empty()) return;
        for (const std::string& table : shadows_)
            if (!std::ranges::any_of(failures_, [&](const TableFailure& f) { return f.table.name == table; }) &&
                !std::ranges::any_of(end_.failedTables, [&](const FailedTable& f) { return f.name == table; }) &&
                std::ranges::find(end_.stoppedTables, table) == end_.stoppedTables.end())
                end_.notSwapped.push_back(table);
        // After a stop (which cut the connections, maybe from a server that no longer answers)
        // they stay for the next run on this target to drop.
        std::vector<std::string> unverified;
        for (const std::string& table : shadows_)
            if (!marked_.contains(table)) unverified.push_back(table);
        if (!stop_.Requested() && targetConn_ && targetConn_->State() == ado::adStateOpen)
            DropShadows(*targetConn_, unverified);
        shadows_.clear();
    }

    // A run that made shadows and put none in says plainly what the target holds.
    void TellTargetUnchanged() {
        if (!madeShadows_ || swapped_) return;
        std::string note = "대상 데이터베이스는 바뀌지 않았습니다.";
        if (!emptied_.empty()) {
            std::string names;
            for (const std::string& table : emptied_) names += (names.empty() ? "" : ", ") + table;
            note = "그 자리에서 복사한 테이블(" + names + ") 말고는 대상 데이터베이스가 바뀌지 않았습니다.";
        }
        end_.targetNote = note;
        end_.explanation.push_back("대상 DB: " + note);
        if (lastMessage_.find(note) == std::string::npos) lastMessage_ += "\r\n\r\n" + note;
    }

    // A table's copy that matched its source is marked in the target, to be kept should the
    // run not put it in.
    void Keep(Connection& target, const RunTable& table, const TableCheck& check) {
        if (!check.match || !swapPlan_.Swaps(table.name)) return;
        if (!MarkVerified(target, pair_, table.name, check)) return;
        const std::lock_guard hold(mutex_);
        marked_.insert(table.name);
    }

    // A copy an earlier run verified is compared with the source again, not copied: still as
    // it was verified, it goes in with the others. Else (or when the table is to be copied in
    // place) it is dropped, and the table copied.
    bool ReuseKept(CopyLane& lane) {
        const RunTable table = lane.current;
        const auto kept = kept_.find(table.name);
        if (kept == kept_.end()) return false;
        if (lane.shadowed) {
            events_.TableVerifying(table);
            lane.activity->Await(ServerSide::Both);
            if (const auto check = RecheckKept(lane.sourceConn, lane.targetConn, table.name, kept->second)) {
                {
                    const std::lock_guard hold(mutex_);
                    madeShadows_ = true;
                    shadows_.push_back(table.name);
                    end_.reused.push_back(table.name);
                }
                events_.TableCarried(table, CopyOutcome{.reused = true});
                events_.TableVerified(table, *check);
                events_.LogLine(table.name + ": 지난 실행에서 검증을 마친 " + std::to_string(check->targetRows) +
                                "건을 다시 확인해 그대로 씀");
                lane.current = RunTable{};
                return true;
            }
            events_.LogLine(table.name + ": 지난 실행이 남긴 복사본이 원본과 달라 다시 복사합니다");
        }
        {
            const std::lock_guard hold(mutex_);
            marked_.erase(table.name);
        }
        DropKept(*lane.targetConn, table.name);
        return false;
    }

    // Everything was put in: no copy is kept.
    void ForgetKept() {
        if (marked_.empty() && kept_.empty()) return;
        DropMarks(*targetConn_);
        marked_.clear();
    }

    // The copies left beside the target for the next run and those reused, in list order.
    void NameKept() {
        std::vector<std::string> reused;
        for (const RunTable& table : request_.tables) {
            if (!swapped_ && marked_.contains(table.name)) end_.kept.push_back(table.name);
            if (std::ranges::find(end_.reused, table.name) != end_.reused.end()) reused.push_back(table.name);
        }
        end_.reused = std::move(reused);
    }

    void CloseAll() {
        // Closing the target's session gives the lock up: the watch must not take that for a loss.
        lockWatch_.reset();
        DiscardShadows();
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
    std::mutex mutex_;  // guards what lanes share: the next table, the failures, the verification lane, the refusal
    std::vector<RunTable> order_;         // the tables in the order the lanes take them
    std::size_t nextTable_ = 0;           // the next of them to take
    std::vector<TableFailure> failures_;  // in the order they happened
    std::string laneError_;               // a copy lane that could not start
    SwapPlan swapPlan_;                   // the tables copied in place instead of swapped in
    std::vector<std::string> shadows_;    // tables whose shadows are made, until swapped in or dropped
    std::vector<std::string> emptied_;    // tables emptied in place

    std::string pair_;                        // the two databases, as the marks of kept copies name them
    std::map<std::string, KeptShadow> kept_;  // verified copies an earlier run left, for this run to compare
    std::set<std::string> marked_;            // tables whose copies are marked verified in the target
    bool madeShadows_ = false, swapped_ = false;
    std::unique_ptr<VerificationLane> verification_;  // waits for its comparison before the lanes go
    std::atomic<bool> lockLost_{false};               // the target lock's session ended during the run
    std::unique_ptr<TargetLockWatch> lockWatch_;      // waits for the lock to come free, until the run ends
    std::unique_ptr<SilenceWatch> watch_;             // declared last: stops watching before the lanes go
};

}  // namespace

void RunTableCopy(const RunRequest& request, RunEvents& events) {
    // Every thread would otherwise get a malloc arena of its own whose freed chunks stay
    // resident: with tables and comparisons side by side that came to nearly twice the memory.
    mallopt(M_ARENA_MAX, 2);
    TableCopy(request, events).Run();
}
