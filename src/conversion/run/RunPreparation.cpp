#include "conversion/run/RunPreparation.h"

#include "common/MsgBox.h"
#include "common/TrimBlanks.h"

bool IdsEntered(const RunRequest& request, RunEvents& events) {
    for (CustomerIndex i = 0; i <= 1; ++i) {
        if (TrimBlanks(request.customers.IdText(i)).empty()) {
            events.Question("Tarn ID를 입력하세요.", mb::kOkOnly);
            request.customers.FocusIdBox(i);
            return false;
        }
    }
    return true;
}

bool LocateBoth(const RunRequest& request, RunEvents& events) {
    for (CustomerIndex i = 0; i <= 1; ++i)
        if (request.connections.LocateCustomer(i, events).empty()) return false;
    events.HostsLocated();
    return true;
}
