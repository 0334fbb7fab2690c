#include "support/ScriptedMsgBox.h"

// Built twice: for the tests an unplanned question fails the test; for the benchmark,
// which has no gtest, it is printed.
#ifdef NUTV_GTEST_REPORTS
#include <gtest/gtest.h>
#else
#include <cstdio>
#endif

namespace testsupport {
namespace {
void ReportUnplannedQuestion(const std::string& prompt) {
#ifdef NUTV_GTEST_REPORTS
    ADD_FAILURE() << "unplanned question: " << prompt;
#else
    std::fprintf(stderr, "unplanned question: %s\n", prompt.c_str());
#endif
}
}  // namespace

ScriptedMsgBox::ScriptedMsgBox() {
    previous_ = SetMsgBoxHandler([this](const std::string& prompt, int buttons, const std::string& title) {
        return Answer(prompt, buttons, title);
    });
}

ScriptedMsgBox::~ScriptedMsgBox() {
    SetMsgBoxHandler(std::move(previous_));
}

void ScriptedMsgBox::Plan(std::initializer_list<int> answers) {
    answers_.insert(answers_.end(), answers);
}

std::vector<std::string> ScriptedMsgBox::Prompts() const {
    std::vector<std::string> prompts;
    for (const auto& box : boxes_) prompts.push_back(box.prompt);
    return prompts;
}

int ScriptedMsgBox::Answer(const std::string& prompt, int buttons, const std::string& title) {
    boxes_.push_back({prompt, buttons, title});
    if (!answers_.empty()) {
        int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    if ((buttons & 7) == mb::kYesNo) {
        ReportUnplannedQuestion(prompt);
        return mb::kNo;
    }
    return mb::kOk;
}

}  // namespace testsupport
