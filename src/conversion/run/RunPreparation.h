#pragma once
#include "common/MsgBox.h"
#include "conversion/run/RunEvents.h"
#include "conversion/run/RunStop.h"

// The steps every operation of the window begins with.

// Both IDs entered: otherwise says so, puts the focus into the first empty box and
// returns false.
bool IdsEntered(const RunRequest& request, RunEvents& events);

// Locates both customer databases; false when one cannot be found (the user was told).
bool LocateBoth(const RunRequest& request, RunEvents& events);

// The customers' form as a run's lookup sees it: the IDs, names and hosts read from the
// form, its log lines and messages told through the run's events.
class EventsForm : public CustomerForm {
public:
    EventsForm(CustomerForm& form, RunEvents& events) : form_(form), events_(events) {}

    std::string IdText(CustomerIndex index) const override { return form_.IdText(index); }
    std::string DBName(CustomerIndex index) const override { return form_.DBName(index); }
    std::string DBHost(CustomerIndex index) const override { return form_.DBHost(index); }
    void FocusIdBox(CustomerIndex index) override { form_.FocusIdBox(index); }
    void WriteLog(const std::string& message, int /*element*/) override { events_.LogLine(message); }
    void ShowMessage(const std::string& message) override { events_.Question(message, mb::kOkOnly); }

private:
    CustomerForm& form_;
    RunEvents& events_;
};

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
