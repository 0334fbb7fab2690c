#pragma once
#include <chrono>
#include <functional>
#include <string>

// The one way the program shows a message box. The window layer installs a handler
// that shows a real box; tests install a scripted one. Styles and answers keep the
// classic numeric values so callers and tests can state them exactly.
namespace mb {
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kCritical = 16;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;
inline constexpr int kDefaultButton2 = 256;

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace mb

// The caption of a box that is given no title.
inline constexpr const char* kProgramTitle = "누리Tarn_To_누리Velm";

using MsgBoxHandler = std::function<int(const std::string& prompt, int buttons, const std::string& title)>;

// Shows a box and returns the answer. An empty title becomes the program's title.
int MsgBox(const std::string& prompt, int buttons = mb::kOkOnly, const std::string& title = {});

// How long message boxes have been open since the program started, all threads together
// (two boxes open at once count once), the box open now included. A run subtracts what
// it spent waiting on its user from its own times.
std::chrono::steady_clock::duration TimeInMessageBoxes();

// Installs the handler and returns the one it replaces. Without a handler a box is
// written to standard error and answered with its default button.
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);
