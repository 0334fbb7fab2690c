#include "common/MsgBox.h"

#include <iostream>
#include <mutex>

namespace {
std::mutex handlerMutex;
MsgBoxHandler currentHandler;

// The boxes open now, since when at least one has been open, and the time of those closed.
std::mutex boxTimeMutex;
int boxesOpen = 0;
std::chrono::steady_clock::time_point firstOpened;
std::chrono::steady_clock::duration closedBoxTime{};

class OpenBox {
public:
    OpenBox() {
        std::lock_guard lock(boxTimeMutex);
        if (boxesOpen++ == 0) firstOpened = std::chrono::steady_clock::now();
    }
    ~OpenBox() {
        std::lock_guard lock(boxTimeMutex);
        if (--boxesOpen == 0) closedBoxTime += std::chrono::steady_clock::now() - firstOpened;
    }
    OpenBox(const OpenBox&) = delete;
    OpenBox& operator=(const OpenBox&) = delete;
};

int DefaultAnswer(int buttons) {
    if ((buttons & 7) != mb::kYesNo) return mb::kOk;
    return (buttons & mb::kDefaultButton2) ? mb::kNo : mb::kYes;
}
}  // namespace

int MsgBox(const std::string& prompt, int buttons, const std::string& title) {
    const std::string caption = title.empty() ? kProgramTitle : title;
    MsgBoxHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = currentHandler;
    }
    const OpenBox open;
    if (handler) return handler(prompt, buttons, caption);
    std::cerr << "[" << caption << "] " << prompt << '\n';
    return DefaultAnswer(buttons);
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler) {
    std::lock_guard lock(handlerMutex);
    std::swap(currentHandler, handler);
    return handler;
}

std::chrono::steady_clock::duration TimeInMessageBoxes() {
    std::lock_guard lock(boxTimeMutex);
    return closedBoxTime +
           (boxesOpen > 0 ? std::chrono::steady_clock::now() - firstOpened : std::chrono::steady_clock::duration{});
}
