#include "common/MsgBox.h"

#include <iostream>
#include <mutex>

namespace {
std::mutex handlerMutex;
MsgBoxHandler currentHandler;

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
    if (handler) return handler(prompt, buttons, caption);
    std::cerr << "[" << caption << "] " << prompt << '\n';
    return DefaultAnswer(buttons);
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler) {
    std::lock_guard lock(handlerMutex);
    std::swap(currentHandler, handler);
    return handler;
}
