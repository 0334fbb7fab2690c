#include "bench/ConversionRun.h"

#include <malloc.h>

#include <algorithm>

#include "bench/Machine.h"
#include "common/MsgBox.h"
#include "conversion/FrmMain.h"
#include "support/ScriptedMsgBox.h"

namespace bench {

ConversionResult RunConversion(const Customers& customers, const std::vector<std::string>& tables) {
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
    double lastLine = 0;
    form.SetChangeListener([&](FrmMain::Change change) {
        if (change == FrmMain::Change::Log && !form.TxtLog().empty()) {
            const std::string& log = form.TxtLog();
            const std::size_t end = log.size() - 2;  // before the final CR LF
            const std::size_t begin = log.rfind("\r\n", end - 1);
            const std::string line = log.substr(begin == std::string::npos ? 0 : begin + 2,
                                                end - (begin == std::string::npos ? 0 : begin + 2));
            const double now = Now();
            result.tableSeconds.emplace_back(line.substr(0, line.find(':')), now - lastLine);
            lastLine = now;
            return;
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

    boxes.Plan({mb::kYes});
    // Memory an earlier measurement freed goes back to the system first (glibc keeps
    // freed heap otherwise), so the peak is this run's.
    malloc_trim(0);
    result.peakOfRunOnly = ResetPeakResident();
    const Stopwatch watch;
    lastLine = Now();
    form.cmdStart_Click();
    result.time = watch.Elapsed();
    result.peakKiB = PeakResidentKiB();
    form.SetChangeListener(nullptr);

    result.lastMessage = boxes.Boxes().empty() ? "" : boxes.Boxes().back().prompt;
    result.completed = result.lastMessage == "복사가 완료되었습니다.";
    result.residentByTenth = samples;
    result.log = form.TxtLog();
    return result;
}

}  // namespace bench
