#include "gui/RunThread.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "common/MsgBox.h"
#include "gui/MessageBoxes.h"

RunThread::~RunThread() {
    EndOnQuit();
}

void RunThread::EndOnQuit() {
    if (!worker_.joinable()) return;
    const std::thread::id worker = worker_.get_id();
    CloseWorkerQuestions(worker);
    worker_.join();
    ReopenWorkerQuestions(worker);
    running_ = false;
}

void RunThread::Start(std::function<void()> work, std::function<void()> finished) {
    if (running_) throw std::logic_error("RunThread: a run is already working");
    running_ = true;
    worker_ = std::thread([this, work = std::move(work), finished = std::move(finished)]() mutable {
        // The operations report their own failures; anything that still escapes is
        // shown rather than ending the program, which would lose the work log.
        try {
            work();
        } catch (const std::exception& e) {
            MsgBox(std::string("Error (") + e.what() + ")", mb::kOkOnly);
        } catch (...) {
            MsgBox("Error (unknown failure)", mb::kOkOnly);
        }
        QMetaObject::invokeMethod(
            this,
            [this, finished = std::move(finished)] {
                if (!worker_.joinable()) return;  // ended on quitting
                worker_.join();
                running_ = false;
                if (finished) finished();
            },
            Qt::QueuedConnection);
    });
}
