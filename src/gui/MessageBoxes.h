#pragma once
#include <string>
#include <thread>

#include "common/MsgBox.h"

class QWidget;

// Message boxes as QMessageBox: the classic numeric styles (buttons, icon, default
// button) become the box's buttons, icon and default; the answer comes back as the
// classic number (1 OK, 2 Cancel, 6 Yes, 7 No, ...).

// Shows one box on the window thread and waits for the answer. An empty title shows
// the program's title. The parent defaults to the active window.
int ShowMessageBox(const std::string& prompt, int style, const std::string& title, QWidget* parent = nullptr);

// A handler for the MsgBox port that may be called from any thread: a call from a
// worker thread is carried to the window thread and blocks until the user answers, or
// until the worker's questions are closed (below).
MsgBoxHandler QtMsgBoxHandler();

// The program quits while a worker still runs: every question of that worker thread,
// the one it waits on and any it asks later, is answered at once as a box closed
// without a button would be (Cancel, else No), so the worker winds down and can be
// joined. ReopenWorkerQuestions forgets the thread once it has been joined.
void CloseWorkerQuestions(std::thread::id worker);
void ReopenWorkerQuestions(std::thread::id worker);

// How many worker questions wait for the window thread now.
int WorkerQuestionsWaiting();
