#include "gui/RunThread.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "common/MsgBox.h"

RunThread::~RunThread() {
    if (worker_.joinable()) worker_.join();
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
                worker_.join();
                running_ = false;
                if (finished) finished();
            },
            Qt::QueuedConnection);
    });
}
