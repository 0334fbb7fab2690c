#include "conversion/run/ParentLinkRepair.h"

#include <memory>

#include "common/CloseIfOpen.h"
#include "common/ErrorReport.h"
#include "common/ErrorTrap.h"
#include "common/MsgBox.h"
#include "common/VbError.h"
#include "conversion/run/OrderDetailLinks.h"
#include "conversion/run/RunPreparation.h"
#include "conversion/run/RunStop.h"
#include "conversion/run/TargetLock.h"
#include "datalayer/Connection.h"

namespace {
constexpr const char* kRepairStopped = "작업을 중지했습니다. ordbook_d의 상위 연결 처리가 끝나지 않았습니다.";
using ado::Connection;
}  // namespace

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
