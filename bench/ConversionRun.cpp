#include "bench/ConversionRun.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <map>

#include "bench/Machine.h"
#include "common/MsgBox.h"
#include "conversion/run/TableCopyRun.h"
#include "conversion/verification/TableVerification.h"
#include "support/ScriptedMsgBox.h"
#include "window/FrmMain.h"

namespace bench {

namespace {

constexpr std::chrono::milliseconds kBarSampling{50};

// Hears the run's events on their way to the window model: the tables' own times.
class TimedEvents : public RunEvents {
public:
    TimedEvents(FrmMain& form, ConversionResult& result) : form_(form), result_(result) {}

    void HostsLocated() override { form_.HostsLocated(); }
    void RunStarted(const std::vector<RunTable>& tables) override { form_.RunStarted(tables); }
    void RowsEstimated(const std::vector<std::int64_t>& rows) override { form_.RowsEstimated(rows); }
    void BytesEstimated(const std::vector<std::int64_t>& bytes) override { form_.BytesEstimated(bytes); }
    void StepStarted(const RunTable& table, RunStep step) override { form_.StepStarted(table, step); }
    void TableStarted(const RunTable& table, std::int64_t rowTotal) override { form_.TableStarted(table, rowTotal); }
    void RowsCopied(const RunTable& table, std::int64_t rows) override { form_.RowsCopied(table, rows); }
    void TableFinished(const RunTable& table, std::int64_t rows, double seconds) override {
        result_.tableSeconds.emplace_back(table.name, seconds);
        form_.TableFinished(table, rows, seconds);
    }
    void TableFailed(const RunTable& table, const std::string& error) override { form_.TableFailed(table, error); }
    void TableVerifying(const RunTable& table) override { form_.TableVerifying(table); }
    void TableCarried(const RunTable& table, const CopyOutcome& outcome) override {
        result_.loadedRows.emplace_back(table.name, outcome.loadedRows);
        form_.TableCarried(table, outcome);
    }
    void TableVerified(const RunTable& table, const TableCheck& check) override {
        result_.verifySeconds += check.seconds;
        form_.TableVerified(table, check);
    }
    int Question(const std::string& prompt, int style, const std::string& title) override {
        return form_.Question(prompt, style, title);
    }
    void LogLine(const std::string& line) override { form_.LogLine(line); }
    void RunFinished(const RunEnd& end) override { form_.RunFinished(end); }

private:
    FrmMain& form_;
    ConversionResult& result_;
};

// What the status line would show at a moment: the run's status and the rows on the table bar.
struct StatusAt {
    std::chrono::steady_clock::time_point when;
    RunStatus status;
    std::int64_t barRows = 0;
};

// The time left the status line showed at each fraction of the run's working time, read from
// the last status before that moment as the window's ticker reads it, beside the time that
// really remained.
std::vector<TimeLeftCheck> TimeLeftChecks(const std::vector<StatusAt>& seen, const RunStatus& end,
                                          const std::vector<double>& fractions) {
    std::vector<TimeLeftCheck> checks;
    const auto length = end.finished - end.started;
    for (const double fraction : fractions) {
        TimeLeftCheck check;
        check.fraction = fraction;
        const auto at =
            end.started + std::chrono::duration_cast<std::chrono::steady_clock::duration>(length * fraction);
        check.at = std::chrono::duration<double>(at - end.started).count();
        check.real = std::chrono::duration<double>(end.finished - at).count();
        const auto after = std::ranges::upper_bound(seen, at, {}, &StatusAt::when);
        if (after != seen.begin()) check.shown = std::prev(after)->status.SecondsLeft(std::prev(after)->barRows, at);
        checks.push_back(check);
    }
    return checks;
}

}  // namespace

ConversionResult RunConversion(const Customers& customers, const std::vector<std::string>& tables, bool verify,
                               bool everyTenth) {
    testsupport::ScriptedMsgBox boxes;
    FrmMain form;
    form.Form_Load();
    form.Show();
    form.SetIdText(0, customers.sourceId);
    form.SetIdText(1, customers.targetId);
    if (!tables.empty()) {
        form.SetChkAll(false);
        for (int i = 0; i < form.List1().ListCount(); ++i)
            if (std::find(tables.begin(), tables.end(), form.List1().List(i)) != tables.end())
                form.List1().SetSelected(i, true);
    }

    ConversionResult result;
    // Memory along the biggest table: sampled when a progress notification passes a tenth
    // of the per-table bar (the bar notifies about a thousand times per table).
    float biggest = 0;
    std::vector<std::int64_t> samples;
    int nextTenth = 0;
    std::vector<StatusAt> seen;
    form.SetChangeListener([&](FrmMain::Change change) {
        if (change == FrmMain::Change::Status || change == FrmMain::Change::Progress) {
            const auto now = std::chrono::steady_clock::now();
            // A status change always; the bar's rows every 50 ms.
            if (change == FrmMain::Change::Status || seen.empty() || now - seen.back().when > kBarSampling)
                seen.push_back({now, form.Ledger().Status(), static_cast<std::int64_t>(form.Progress(0).Value)});
        }
        if (change != FrmMain::Change::Progress) return;
        const auto& bar = form.Progress(0);
        if (bar.Value == 0) {
            if (bar.Max > biggest) {
                biggest = bar.Max;
                samples.assign(1, ResidentKiB());
                nextTenth = 1;
            }
            return;
        }
        if (bar.Max != biggest) return;
        while (nextTenth <= 10 && bar.Value >= bar.Max * static_cast<float>(nextTenth) / 10) {
            samples.push_back(ResidentKiB());
            ++nextTenth;
        }
    });

    // Yes to starting, and to overwriting the customers and products of an earlier copy.
    boxes.Plan({mb::kYes, mb::kYes, mb::kYes});
    // Memory an earlier measurement freed goes back to the system first (glibc keeps
    // freed heap otherwise), so the peak is this run's.
    malloc_trim(0);
    result.peakOfRunOnly = ResetPeakResident();
    const Stopwatch watch;
    TimedEvents events(form, result);
    RunRequest request = form.MakeRunRequest();
    request.verify = verify;
    RunTableCopy(request, events);
    result.time = watch.Elapsed();
    result.peakKiB = PeakResidentKiB();
    form.SetChangeListener(nullptr);

    result.lastMessage = boxes.Boxes().empty() ? "" : boxes.Boxes().back().prompt;
    result.completed = result.lastMessage == "복사가 완료되었습니다.";
    result.residentByTenth = samples;
    result.log = form.TxtLog();
    result.timeLeft = TimeLeftChecks(
        seen, form.Ledger().Status(),
        everyTenth ? std::vector{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9} : std::vector{0.1, 0.5, 0.9});
    return result;
}

std::string SlowestTables(const ConversionResult& run, std::size_t named) {
    auto slowest = run.tableSeconds;
    std::ranges::sort(slowest, std::greater{}, [](const auto& table) { return table.second; });
    std::string text;
    double rest = 0;
    for (std::size_t i = 0; i < slowest.size(); ++i) {
        if (i >= named) {
            rest += slowest[i].second;
            continue;
        }
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, " %.2f s, ", slowest[i].second);
        text += slowest[i].first + seconds;
    }
    char others[64];
    std::snprintf(others, sizeof others, "the other %zu %.2f s", slowest.size() > named ? slowest.size() - named : 0,
                  rest);
    return text + others;
}

}  // namespace bench
