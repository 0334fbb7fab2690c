#pragma once
#include <deque>
#include <string>
#include <vector>

#include "common/MsgBox.h"

namespace testsupport {

// Stands in for the user at message boxes: records every box and answers with the
// planned answers in order. A box without a planned answer gets its default button,
// except a Yes/No question, which fails the test (a question nobody planned for).
class ScriptedMsgBox {
public:
    struct Box {
        std::string prompt;
        int buttons;
        std::string title;
    };

    ScriptedMsgBox();
    ~ScriptedMsgBox();
    ScriptedMsgBox(const ScriptedMsgBox&) = delete;
    ScriptedMsgBox& operator=(const ScriptedMsgBox&) = delete;

    // Answers for the coming boxes, in order (mb::kYes, mb::kNo, mb::kOk, ...).
    void Plan(std::initializer_list<int> answers);
    const std::vector<Box>& Boxes() const { return boxes_; }
    std::vector<std::string> Prompts() const;
    int UnusedAnswers() const { return static_cast<int>(answers_.size()); }
    void Clear() { boxes_.clear(); }

private:
    int Answer(const std::string& prompt, int buttons, const std::string& title);

    std::vector<Box> boxes_;
    std::deque<int> answers_;
    MsgBoxHandler previous_;
};

}  // namespace testsupport
