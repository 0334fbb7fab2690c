#pragma once
#include <array>
#include <string>
#include <vector>

#include "window/FrmMain.h"

// What the conversion window shows of its model, copied out of it: the window thread
// paints from a copy, so while a run works on the model in a worker thread the window
// never reads the model itself. `parts` says which members hold news.
struct FrmMainView {
    enum Part : unsigned {
        kIdText = 1u << 0,
        kHostLabel = 1u << 1,
        kList = 1u << 2,
        kSelectAll = 1u << 3,
        kLog = 1u << 4,
        kProgress = 1u << 5,
        kFocus = 1u << 6,
        kUnloaded = 1u << 7,
        kStatus = 1u << 8,
        kAll = (1u << 9) - 1,
    };

    unsigned parts = 0;
    std::array<std::string, 2> idText;
    std::array<std::string, 2> hostLabel;
    std::vector<bool> selected;
    std::vector<std::string> rows;
    int currentRow = -1;
    bool selectAll = false;
    std::string log;
    std::array<FrmMain::ProgressBar, 2> bars;
    std::string focus;
    bool unloaded = false;
    std::vector<std::string> rowStates;  // beside each row's name: its state in the last run
    RunStatus status;
    std::vector<std::string> explanation;  // the last run's failure, explained
    std::string explanationHeading;        // "[실패 설명]", "[중지 설명]", ...
    std::string selectionLine;             // between runs: the rows a 시작 would copy
    bool selectionNews = false;            // the status line shows selectionLine
    bool selectionWarning = false;         // only some rows selected, the IDs changed since
    bool retryable = false;                // the last run left rows to run again
    std::string logHeader, logName;        // what a saved log starts with, and its suggested name

    static unsigned PartOf(FrmMain::Change change);

    // Copies the given parts from the model (on the thread that owns the model now).
    static FrmMainView Capture(const FrmMain& model, unsigned parts);

    // Takes over the parts that `newer` carries; the others stay as they were.
    void Merge(FrmMainView&& newer);
};
