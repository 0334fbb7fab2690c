#include "gui/FrmMainView.h"

unsigned FrmMainView::PartOf(FrmMain::Change change) {
    switch (change) {
        case FrmMain::Change::IdText:
            return kIdText;
        case FrmMain::Change::HostLabel:
            return kHostLabel;
        case FrmMain::Change::List:
            return kList;
        case FrmMain::Change::SelectAll:
            return kSelectAll;
        case FrmMain::Change::Log:
            return kLog;
        case FrmMain::Change::Progress:
            return kProgress;
        case FrmMain::Change::Focus:
            return kFocus;
        case FrmMain::Change::Unloaded:
            return kUnloaded;
        case FrmMain::Change::Status:
            return kStatus;
    }
    return 0;
}

FrmMainView FrmMainView::Capture(const FrmMain& model, unsigned parts) {
    FrmMainView view;
    view.parts = parts;
    if (parts & kIdText)
        for (CustomerIndex i = 0; i <= 1; ++i) view.idText[i] = model.IdText(i);
    if (parts & kHostLabel)
        for (CustomerIndex i = 0; i <= 1; ++i) view.hostLabel[i] = model.LblIP(i);
    if (parts & kList) {
        const ListBox& list = model.List1();
        view.rows.reserve(static_cast<std::size_t>(list.ListCount()));
        view.selected.reserve(static_cast<std::size_t>(list.ListCount()));
        for (int i = 0; i < list.ListCount(); ++i) {
            view.rows.push_back(list.List(i));
            view.selected.push_back(list.Selected(i));
        }
        view.currentRow = list.ListIndex();
    }
    if (parts & kSelectAll) view.selectAll = model.ChkAll();
    if (parts & kLog) view.log = model.TxtLog();
    if (parts & kProgress) view.bars = {model.Progress(0), model.Progress(1)};
    if (parts & kFocus) view.focus = model.FocusedControl();
    if (parts & kUnloaded) view.unloaded = model.Unloaded();
    if (parts & kStatus) {
        view.rowStates.reserve(static_cast<std::size_t>(model.List1().ListCount()));
        for (int i = 0; i < model.List1().ListCount(); ++i) view.rowStates.push_back(model.RowStateText(i));
        view.status = model.Ledger().Status();
        view.explanation = model.FailureExplanation();
        view.explanationHeading = model.ExplanationHeading();
        view.selectionLine = model.SelectionLine();
        view.selectionNews = model.SelectionNews();
        view.selectionWarning = model.SelectionWarning();
        view.retryable = model.HasRowsToRetry();
        view.logHeader = model.SavedLogHeader();
        view.logName = model.SavedLogName();
    }
    return view;
}

void FrmMainView::Merge(FrmMainView&& newer) {
    const unsigned p = newer.parts;
    if (p & kIdText) idText = std::move(newer.idText);
    if (p & kHostLabel) hostLabel = std::move(newer.hostLabel);
    if (p & kList) {
        rows = std::move(newer.rows);
        selected = std::move(newer.selected);
        currentRow = newer.currentRow;
    }
    if (p & kSelectAll) selectAll = newer.selectAll;
    if (p & kLog) log = std::move(newer.log);
    if (p & kProgress) bars = newer.bars;
    if (p & kFocus) focus = std::move(newer.focus);
    if (p & kUnloaded) unloaded = newer.unloaded;
    if (p & kStatus) {
        rowStates = std::move(newer.rowStates);
        status = std::move(newer.status);
        explanation = std::move(newer.explanation);
        explanationHeading = std::move(newer.explanationHeading);
        selectionLine = std::move(newer.selectionLine);
        selectionNews = newer.selectionNews;
        selectionWarning = newer.selectionWarning;
        retryable = newer.retryable;
        logHeader = std::move(newer.logHeader);
        logName = std::move(newer.logName);
    }
    parts |= p;
}
