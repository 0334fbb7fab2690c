#include "conversion/verification/VerifyRun.h"

#include <memory>

#include "common/CloseIfOpen.h"
#include "common/ErrorReport.h"
#include "common/ErrorTrap.h"
#include "common/MsgBox.h"
#include "conversion/checks/PreRunCheck.h"
#include "conversion/copy/SourceSnapshot.h"
#include "conversion/run/RunPreparation.h"
#include "conversion/run/TargetLock.h"
#include "conversion/verification/TableVerification.h"
#include "datalayer/Connection.h"

namespace {

class Verification {
public:
    Verification(const RunRequest& request, RunEvents& events) : request_(request), events_(events) {
        end_.verifyOnly = true;
    }

    void Run() {
        const StopScope scope(request_.stop);
        if (!IdsEntered(request_, events_)) return;
        end_.outcome = RunOutcome::NotConnected;
        events_.RunStarted(request_.tables);
        try {
            Steps();
        } catch (const RunStopped&) {
            Stopped();
        } catch (const std::exception&) {
            if (request_.stop.Requested()) {
                Stopped();
            } else {
                end_.outcome = RunOutcome::Failed;
                end_.failedTable = current_.name;
                end_.error =
                    ErrorReportText(AsVbError(std::current_exception()), "cmdVerify_Click", ReportOwner::Form, "Form1");
                if (!current_.name.empty()) events_.TableFailed(current_, end_.error);
                lastMessage_ = end_.error;
            }
        }
        try {
            CloseIfOpen(source_);
            CloseIfOpen(target_);
        } catch (const std::exception&) {
            // A connection cut by a stop closes with an error; it is closed all the same.
        }
        // The work ends here: its times and record do not wait for the last box's answer.
        events_.RunFinished(end_);
        if (!lastMessage_.empty()) events_.Question(lastMessage_, mb::kOkOnly);
    }

private:
    void Steps() {
        const bool located = LocateBoth(request_, events_);
        ThrowIfStopped();
        if (!located) return;
        source_ = std::make_shared<ado::Connection>();
        target_ = std::make_shared<ado::Connection>();
        request_.stop.Watch(source_);
        request_.stop.Watch(target_);
        const bool opened = request_.connections.OpenCustomer(source_, kSourceCustomer, true) &&
                            request_.connections.OpenCustomer(target_, kTargetCustomer, false);
        ThrowIfStopped();
        if (!opened) return;
        if (const auto holder = TakeTargetLock(*target_)) {
            end_.outcome = RunOutcome::Failed;
            end_.error = TargetBusyMessage(request_.customers.DBName(kTargetCustomer), *holder);
            lastMessage_ = end_.error;
            return;
        }
        end_.outsideSnapshot = BeginSourceSnapshot(*source_, request_.tables);
        TellSizes();
        const TableVerifier verifier(source_, target_);
        std::string differing;
        for (const RunTable& table : request_.tables) {
            ThrowIfStopped();
            current_ = table;
            events_.TableVerifying(table);
            const TableCheck check = verifier.Verify(table.name);
            events_.TableVerified(table, check);
            if (!check.match) differing += "\r\n" + table.name + ": " + DifferenceText(check);
            current_ = RunTable{};
        }
        ThrowIfStopped();
        if (differing.empty()) {
            end_.outcome = RunOutcome::Completed;
            lastMessage_ = "검증이 끝났습니다. 선택한 테이블이 모두 원본과 같습니다.";
        } else {
            end_.outcome = RunOutcome::Failed;
            end_.error = "원본과 다른 테이블이 있습니다." + differing;
            lastMessage_ = end_.error + "\r\n\r\n원본에서 다시 복사하려면 그 테이블만 선택하고 시작을 누르십시오.";
        }
    }

    // The server's estimate of each table's rows and bytes, for the pace and the time left.
    void TellSizes() {
        const SchemaShapes shapes = ReadSchemaShapes(*source_);
        std::vector<std::int64_t> rows, bytes;
        for (const RunTable& table : request_.tables) {
            const auto shape = shapes.find(table.name);
            rows.push_back(shape == shapes.end() ? 0 : shape->second.estimatedRows);
            bytes.push_back(shape == shapes.end() ? 0 : shape->second.estimatedBytes);
        }
        events_.RowsEstimated(rows);
        events_.BytesEstimated(bytes);
    }

    void ThrowIfStopped() const {
        if (request_.stop.Requested()) throw RunStopped{};
    }

    void Stopped() {
        end_.outcome = RunOutcome::Stopped;
        end_.failedTable = current_.name;
        events_.LogLine("검증을 중지했습니다.");
        lastMessage_ = "검증을 중지했습니다.";
    }

    const RunRequest& request_;
    RunEvents& events_;
    RunEnd end_;
    std::string lastMessage_;  // the box the verification ends with
    RunTable current_;
    std::shared_ptr<ado::Connection> source_, target_;
};

}  // namespace

void RunVerification(const RunRequest& request, RunEvents& events) {
    Verification(request, events).Run();
}
