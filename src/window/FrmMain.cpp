#include "window/FrmMain.h"

#include <algorithm>

#include "common/Settings.h"
#include "connection/OpenMySQL.h"
#include "conversion/TableCatalogue.h"
#include "conversion/record/RunJournal.h"
#include "conversion/run/ParentLinkRepair.h"
#include "conversion/run/TableCopyRun.h"
#include "conversion/verification/VerifyRun.h"

namespace {
std::string SettingKey(CustomerIndex index) {
    return "userid_" + std::to_string(index);
}
}  // namespace

FrmMain::FrmMain(OdbcDataSources dataSources) : dataSources_(std::move(dataSources)) {}

void FrmMain::cmdStart_Click() {
    // Started on the selection 실패한 표부터 다시 made: a retry of the last run.
    runKind_ = retryNote_.empty() ? RunKind::Copy : RunKind::Retry;
    RunTableCopy(MakeRunRequest(), *this);
}

void FrmMain::cmdVerify_Click() {
    runKind_ = RunKind::Verify;
    RunVerification(MakeRunRequest(), *this);
}

void FrmMain::Command1_Click() {
    RunParentLinkRepair(MakeRunRequest(), *this);
}

RunRequest FrmMain::MakeRunRequest() {
    RunRequest request{*this, *this, stop_, {}};
    request.tablesInFlight = tablesInFlight_;
    request.silentAfter = silentAfter_;
    for (int i = 0; i < list_.ListCount(); ++i)
        if (list_.Selected(i)) request.tables.push_back({i, list_.List(i)});
    return request;
}

std::string FrmMain::LocateCustomerDB(CustomerIndex index) {
    return locator_.LocateCustomerDB(*this, index);
}

bool FrmMain::OpenMySQL(const std::shared_ptr<ado::Connection>& connection, CustomerIndex index, bool withOptions) {
    std::string refusal;
    const bool opened = ::OpenMySQL(*this, dataSources_, connection, index, withOptions, &refusal);
    const std::lock_guard hold(refusalsMutex_);
    connectionRefusals_[index] = std::move(refusal);
    return opened;
}

std::string FrmMain::ConnectionRefusal(CustomerIndex index) const {
    const std::lock_guard hold(refusalsMutex_);
    return connectionRefusals_[index];
}

void FrmMain::Form_Load() {
    for (CustomerIndex i = 0; i <= 1; ++i) {
        // Not yet visible: the change handler leaves the store alone while loading.
        SetIdText(i, GetSetting(kSettingsApp, "Config", SettingKey(i)));
        if (!txtID_[i].empty()) MakeDBName(i);
    }
    list_.Clear();
    for (auto name : TableCatalogue()) list_.AddItem(std::string(name));
    Notify(Change::List);
    SetChkAll(true);
    // A run that was cut off (killed, a power cut) is told once, at the next start.
    for (const std::string& line : SettleUnfinishedRuns()) WriteLog(line);
}

void FrmMain::Show() {
    visible_ = true;
}

void FrmMain::SetIdText(CustomerIndex index, const std::string& text) {
    txtID_[index] = text;
    Notify(Change::IdText);
    txtID_Change(index);
}

void FrmMain::txtID_Change(CustomerIndex index) {
    if (!visible_) return;
    MakeDBName(index);
    SaveSetting(kSettingsApp, "Config", SettingKey(index), txtID_[index]);
    // Other customers: a selection left from the last run is no longer a retry of it.
    retryNote_.clear();
    selectionNews_ = idsChangedSinceSelection_ = true;
    Notify(Change::Status);
}

void FrmMain::MakeDBName(CustomerIndex index) {
    dbHost_[index].clear();
    if (TrimBlanks(txtID_[index]).empty())
        dbName_[index].clear();
    else
        dbName_[index] = (index == kSourceCustomer ? "maketarn_" : "makevelm_") + txtID_[index];
}

void FrmMain::SetChkAll(bool ticked) {
    const bool changed = chkAll_ != ticked;
    chkAll_ = ticked;
    Notify(Change::SelectAll);
    if (changed) chkAll_Click();
}

void FrmMain::chkAll_Click() {
    for (int i = 0; i < list_.ListCount(); ++i) list_.SetSelected(i, chkAll_);
    Notify(Change::List);
    SyncSelection();
}

void FrmMain::chkAll_Toggle() {
    chkAll_ = list_.ListCount() > 0 && list_.SelCount() == list_.ListCount();
    SetChkAll(!chkAll_);
}

void FrmMain::SelectionChanged() {
    Notify(Change::List);
    SyncSelection();
}

void FrmMain::SyncSelection() {
    // Set without its click: the box follows the rows here, it does not select them.
    const bool all = list_.ListCount() > 0 && list_.SelCount() == list_.ListCount();
    if (chkAll_ != all) {
        chkAll_ = all;
        Notify(Change::SelectAll);
    }
    retryNote_.clear();
    selectionNews_ = true;
    idsChangedSinceSelection_ = false;
    Notify(Change::Status);
}

void FrmMain::btnMSel_Click() {
    // Without a current row there is no "from here downward": nothing changes.
    if (list_.ListIndex() < 0) return;
    for (int i = list_.ListIndex(); i < list_.ListCount(); ++i) list_.SetSelected(i, true);
    Notify(Change::List);
    SyncSelection();
}

void FrmMain::cmdClose_Click() {
    unloaded_ = true;
    Notify(Change::Unloaded);
}

void FrmMain::WriteLog(const std::string& message, int /*element*/) {
    log_ += message;
    log_ += "\r\n";
    Notify(Change::Log);
}

void FrmMain::ClearLog() {
    log_.clear();
    Notify(Change::Log);
}

void FrmMain::SetLblIP(CustomerIndex index, const std::string& caption) {
    lblIP_[index] = caption;
    Notify(Change::HostLabel);
}

void FrmMain::SetCurrentRow(int index) {
    list_.SetListIndex(index);
    Notify(Change::List);
}

void FrmMain::SetProgressMax(int index, float max) {
    bars_.at(index).Max = max;
    notifiedValue_.at(index) = bars_.at(index).Value;
    Notify(Change::Progress);
}

void FrmMain::SetProgressValue(int index, float value) {
    bars_.at(index).Value = value;
    notifiedValue_.at(index) = value;
    Notify(Change::Progress);
}

void FrmMain::AdvanceProgress(int index, std::int64_t by) {
    ProgressBar& bar = bars_.at(index);
    bar.Value += static_cast<float>(by);
    float& notified = notifiedValue_.at(index);
    const float step = std::max(1.0f, bar.Max / 1000.0f);
    if (bar.Value - notified >= step || bar.Value >= bar.Max || bar.Value < notified) {
        notified = bar.Value;
        Notify(Change::Progress);
    }
}

void FrmMain::FocusIdBox(CustomerIndex index) {
    focus_ = "txtID(" + std::to_string(index) + ")";
    Notify(Change::Focus);
}

void FrmMain::Notify(Change change) const {
    if (listener_) listener_(change);
}
