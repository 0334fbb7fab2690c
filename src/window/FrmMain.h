#pragma once
#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "common/CustomerForm.h"
#include "connection/CustomerLocator.h"
#include "connection/OdbcDataSources.h"
#include "conversion/record/RunJournal.h"
#include "conversion/record/RunRecord.h"
#include "conversion/run/RunEvents.h"
#include "conversion/run/RunLedger.h"
#include "conversion/run/RunStop.h"
#include "conversion/run/TablesInFlight.h"
#include "window/ListBox.h"

namespace ado {
class Connection;
}

// The conversion window as a model: every control's state and the handlers by their
// names. The Qt window binds its widgets to it; tests drive it directly. It hears the
// runs it starts as their events, and gives them its way to the customer databases.
class FrmMain : public CustomerForm, public RunEvents, public ConnectionSetup {
public:
    // What changed, so a view can refresh the matching widgets. Status: the rows' run
    // states or the status line.
    enum class Change { IdText, HostLabel, List, SelectAll, Log, Progress, Focus, Unloaded, Status };
    using ChangeListener = std::function<void(Change)>;

    struct ProgressBar {
        float Max = 100;
        float Value = 0;
    };

    static constexpr const char* kCaption = "누리온Tarn -> 누리온Velm 자료전환";
    static constexpr const char* kNoHost = "000.000.000.000";
    static constexpr const char* kSettingsApp = "누리Tarn_To_누리Velm";

    explicit FrmMain(OdbcDataSources dataSources = OdbcDataSources());

    // Events.
    void Form_Load();
    void txtID_Change(CustomerIndex index);
    void chkAll_Click();
    // A click on the select-all box: selects every row unless every row is selected
    // already, then deselects them all. The box shows the rows' selection as it is.
    void chkAll_Toggle();
    // The rows' selection was changed through List1(): the select-all box, the status line
    // and the views follow.
    void SelectionChanged();
    void btnMSel_Click();
    void cmdClose_Click();
    void cmdStart_Click();
    void Command1_Click();
    // The 검증 button: compares the selected tables with their sources, changing nothing.
    void cmdVerify_Click();
    // The 중지 button: safe from any thread while a run or the repair command works on
    // another; the operation ends soon after, saying what it left unfinished.
    void cmdStop_Click() { stop_.Request(); }

    // Services for the other procedures.
    void MakeDBName(CustomerIndex index);
    void WriteLog(const std::string& message, int element = 0) override;
    std::string LocateCustomerDB(CustomerIndex index);
    bool OpenMySQL(const std::shared_ptr<ado::Connection>& connection, CustomerIndex index, bool withOptions);
    std::string GetMyODBCPath() { return dataSources_.GetMyODBCPath(); }
    const std::string& MyODBCPath() const { return dataSources_.MyODBCPath(); }
    const CustomerLocator& Locator() const { return locator_; }
    RunStop& Stop() { return stop_; }

    // What a run started from this window works with: the customers, this window's
    // connection set-up, its stop and the selected rows.
    RunRequest MakeRunRequest();
    // How many tables a run copies at the same time: one per processor core, at most four.
    void SetTablesInFlight(int tables) { tablesInFlight_ = tables; }
    // How long a run waits on a silent server before the status line names it.
    void SetSilentAfter(std::chrono::milliseconds wait) { silentAfter_ = wait; }
    // Who signed in, for the run records.
    void SetSignedInUser(std::string user) { signedInUser_ = std::move(user); }
    // The last run's account, and the path of its record ("" when it could not be saved).
    const RunLedger& Ledger() const { return ledger_; }
    const std::string& LastRecordPath() const { return lastRecordPath_; }
    // The state a list row shows beside its name ("" when the row was not in the last run).
    std::string RowStateText(int row) const;
    // The last run's failure in plain Korean, one line each (empty when it did not fail).
    const std::vector<std::string>& FailureExplanation() const { return explanation_; }
    // Its heading in the work log: "[실패 설명]", "[중지 설명]" (the user's own 중지) or
    // "[검증 설명]" (a verification that found differences).
    const std::string& ExplanationHeading() const { return explanationHeading_; }
    // "실패한 표부터 다시": selects exactly the rows of the last run that were not both copied
    // and verified (failed, stopped, copied but not verified, differing, not run), so that the
    // next 시작 copies only those, and says which on the status line. Returns how many.
    int cmdRetryFailed_Click();
    // Whether the last run left rows for it.
    bool HasRowsToRetry() const;
    // What the status line says between runs of the rows a 시작 would copy: how many of the 80,
    // which, and a warning when only some are selected after the IDs changed.
    std::string SelectionLine() const;
    // Whether the status line shows SelectionLine() rather than the last run's end.
    bool SelectionNews() const { return selectionNews_ || !ledger_.Status().begun; }
    // Only some rows are selected and the IDs changed since: the selection may be a leftover.
    bool SelectionWarning() const;
    // What a saved work log starts with: the facts of the last run (or of the IDs now, before
    // any run), each on its line, then an empty line. And the file name it suggests.
    std::string SavedLogHeader() const;
    std::string SavedLogName() const;

    // The run events, turned into this window's bars, list, log and messages.
    void HostsLocated() override;
    void RunStarted(const std::vector<RunTable>& tables) override;
    void RowsEstimated(const std::vector<std::int64_t>& rows) override;
    void BytesEstimated(const std::vector<std::int64_t>& bytes) override;
    void StepStarted(const RunTable& table, RunStep step) override;
    void TableStarted(const RunTable& table, std::int64_t rowTotal) override;
    void RowsCopied(const RunTable& table, std::int64_t rows) override;
    void TableFinished(const RunTable& table, std::int64_t rows, double seconds) override;
    void TableFailed(const RunTable& table, const std::string& error) override;
    void TableVerifying(const RunTable& table) override;
    void TableVerified(const RunTable& table, const TableCheck& check) override;
    void TableCarried(const RunTable& table, const CopyOutcome& outcome) override;
    int Question(const std::string& prompt, int style, const std::string& title = {}) override;
    void LogLine(const std::string& line) override { WriteLog(line); }
    void ServerSilent(ServerSide side, std::chrono::system_clock::time_point since) override;
    void RunFinished(const RunEnd& end) override;

    // The connection set-up: LocateCustomerDB and OpenMySQL.
    std::string LocateCustomer(CustomerIndex index, RunEvents& events) override;
    bool OpenCustomer(const std::shared_ptr<ado::Connection>& connection, CustomerIndex index,
                      bool withOptions) override {
        return OpenMySQL(connection, index, withOptions);
    }
    std::string ConnectionRefusal(CustomerIndex index) const override;

    // Controls, as the user or a procedure changes them. Setting an ID box's text
    // fires txtID_Change, as typing does; setting the select-all box fires chkAll_Click.
    void SetIdText(CustomerIndex index, const std::string& text);
    std::string IdText(CustomerIndex index) const override { return txtID_[index]; }
    void SetChkAll(bool ticked);
    bool ChkAll() const { return chkAll_; }
    const std::string& LblIP(CustomerIndex index) const { return lblIP_[index]; }
    void SetLblIP(CustomerIndex index, const std::string& caption);
    ListBox& List1() { return list_; }
    const ListBox& List1() const { return list_; }
    void SetCurrentRow(int index);
    const std::string& TxtLog() const { return log_; }
    void ClearLog();
    const ProgressBar& Progress(int index) const { return bars_.at(index); }
    void SetProgressMax(int index, float max);
    void SetProgressValue(int index, float value);
    // Raises a bar's value (by one, or by the rows the copy reports). Listeners hear of it
    // when the bar has moved a visible step (a thousandth of its maximum, at least one)
    // since they last heard, and when it reaches its maximum: a table of a million rows
    // would otherwise notify a million times. Progress() always has the exact value.
    void AdvanceProgress(int index, std::int64_t by = 1);
    void FocusIdBox(CustomerIndex index) override;
    // The control that the program last gave the focus, e.g. "txtID(1)"; empty if none.
    const std::string& FocusedControl() const { return focus_; }
    bool Visible() const { return visible_; }
    void Show();
    bool Unloaded() const { return unloaded_; }

    std::string DBName(CustomerIndex index) const override { return dbName_[index]; }
    std::string DBHost(CustomerIndex index) const override { return dbHost_[index]; }
    void SetDBHost(CustomerIndex index, const std::string& host) { dbHost_[index] = host; }

    void SetChangeListener(ChangeListener listener) { listener_ = std::move(listener); }

private:
    void Notify(Change change) const;
    void SaveRunRecord(const RunEnd& end);
    // The table bar over the tables in flight: their rows copied out of their rows to copy.
    void ShowFlightsOnBar();
    void ShowComparedOnBar();
    // The selection has changed: the box follows it, and the status line tells it.
    void SyncSelection();
    // The explanation of a run the user stopped, or of a verification that found differences.
    std::vector<std::string> StopExplanation(const RunEnd& end) const;
    std::vector<std::string> DifferencesExplanation() const;

public:
    // Who ran the last run, where, and between which databases (for records and saved logs).
    RunRecordFacts RecordFacts() const;

private:
    std::array<std::string, 2> txtID_;
    std::array<std::string, 2> lblIP_{kNoHost, kNoHost};
    std::array<std::string, 2> dbName_;
    std::array<std::string, 2> dbHost_;
    ListBox list_;
    bool chkAll_ = false;
    std::string log_;
    std::array<ProgressBar, 2> bars_;
    std::array<float, 2> notifiedValue_{};  // each bar's value when listeners last heard of it
    std::string focus_;
    bool visible_ = false;
    bool unloaded_ = false;
    ChangeListener listener_;
    CustomerLocator locator_;
    OdbcDataSources dataSources_;
    mutable std::mutex refusalsMutex_;  // the runs' connections may open on several threads
    std::array<std::string, 2> connectionRefusals_;
    RunStop stop_;
    RunLedger ledger_;
    bool copyRunActive_ = false;  // between a copy run's start and its end
    int tablesInFlight_ = kTablesInFlightByDistance;
    std::chrono::milliseconds silentAfter_ = kSilentAfter;
    std::vector<RunTable> runTables_;
    std::string signedInUser_;
    std::string lastRecordPath_;
    std::vector<std::string> explanation_;
    std::string explanationHeading_;
    RunKind runKind_ = RunKind::Copy;  // of the run under way or the last one
    std::string retryNote_;            // what 실패한 표부터 다시 selected, until the selection changes
    bool selectionNews_ = true;        // the selection or the IDs changed since the last run began
    bool idsChangedSinceSelection_ = false;
    RunJournal journal_;
};
