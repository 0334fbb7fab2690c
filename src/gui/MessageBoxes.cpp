#include "gui/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QShortcut>
#include <QThread>
#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "gui/QtText.h"

namespace {

using Buttons = std::vector<std::pair<QMessageBox::StandardButton, int>>;

// Buttons of the style's low three bits, in their classic order, with their answers.
Buttons ButtonsOf(int style) {
    switch (style & 7) {
        case 1:
            return {{QMessageBox::Ok, mb::kOk}, {QMessageBox::Cancel, mb::kCancel}};
        case 2:
            return {{QMessageBox::Abort, 3}, {QMessageBox::Retry, 4}, {QMessageBox::Ignore, 5}};
        case 3:
            return {{QMessageBox::Yes, mb::kYes}, {QMessageBox::No, mb::kNo}, {QMessageBox::Cancel, mb::kCancel}};
        case mb::kYesNo:
            return {{QMessageBox::Yes, mb::kYes}, {QMessageBox::No, mb::kNo}};
        case 5:
            return {{QMessageBox::Retry, 4}, {QMessageBox::Cancel, mb::kCancel}};
        default:
            return {{QMessageBox::Ok, mb::kOk}};
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
        case mb::kCritical:
            return QMessageBox::Critical;
        case mb::kQuestion:
            return QMessageBox::Question;
        case mb::kExclamation:
            return QMessageBox::Warning;
        case mb::kInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// A box closed without a button (its close box): the answer that commits to nothing.
int AnswerWithoutButton(const Buttons& buttons) {
    for (const auto& [button, answer] : buttons)
        if (answer == mb::kCancel) return answer;
    for (const auto& [button, answer] : buttons)
        if (answer == mb::kNo) return answer;
    return buttons.front().second;
}

// What Ctrl+C copies from a box, laid out as desktop message boxes copy themselves:
// caption, text and buttons between dashed lines (mnemonic marks left out).
QString CopiedText(const QMessageBox& box) {
    const QString rule = QStringLiteral("---------------------------\n");
    QStringList buttons;
    for (const QAbstractButton* button : box.buttons()) buttons << QString(button->text()).remove(QLatin1Char('&'));
    return rule + box.windowTitle() + QLatin1Char('\n') + rule + box.text() + QLatin1Char('\n') + rule +
           buttons.join(QStringLiteral("   ")) + QLatin1Char('\n') + rule;
}

// A question a worker thread waits on, answered by the window thread or by closing.
struct WorkerQuestion {
    std::thread::id asker;
    int closedAnswer = 0;  // the answer when the box is never shown
    bool answered = false;
    int answer = 0;
};

class WorkerQuestions {
public:
    // Asks on the window thread and waits for the answer or for the asker's questions to close.
    int Ask(const std::string& prompt, int style, const std::string& title) {
        auto question = std::make_shared<WorkerQuestion>();
        question->asker = std::this_thread::get_id();
        question->closedAnswer = AnswerWithoutButton(ButtonsOf(style));
        std::unique_lock lock(mutex_);
        if (IsClosed(question->asker)) return question->closedAnswer;
        waiting_.push_back(question);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, question, prompt, style, title] {
                {
                    const std::lock_guard guard(mutex_);
                    if (question->answered) return;  // closed before the window thread came to it
                }
                const int answer = ShowMessageBox(prompt, style, title);
                Answer(*question, answer);
            },
            Qt::QueuedConnection);
        changed_.wait(lock, [&] { return question->answered; });
        waiting_.erase(std::find(waiting_.begin(), waiting_.end(), question));
        return question->answer;
    }

    void Close(std::thread::id worker) {
        const std::lock_guard lock(mutex_);
        closed_.push_back(worker);
        for (const auto& question : waiting_)
            if (question->asker == worker && !question->answered) {
                question->answer = question->closedAnswer;
                question->answered = true;
            }
        changed_.notify_all();
    }

    void Reopen(std::thread::id worker) {
        const std::lock_guard lock(mutex_);
        closed_.erase(std::remove(closed_.begin(), closed_.end(), worker), closed_.end());
    }

    int Waiting() {
        const std::lock_guard lock(mutex_);
        return static_cast<int>(
            std::count_if(waiting_.begin(), waiting_.end(), [](const auto& question) { return !question->answered; }));
    }

private:
    void Answer(WorkerQuestion& question, int answer) {
        const std::lock_guard lock(mutex_);
        if (question.answered) return;
        question.answer = answer;
        question.answered = true;
        changed_.notify_all();
    }
    bool IsClosed(std::thread::id worker) const {
        return std::find(closed_.begin(), closed_.end(), worker) != closed_.end();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<WorkerQuestion>> waiting_;
    std::vector<std::thread::id> closed_;
};

WorkerQuestions& Questions() {
    static WorkerQuestions questions;
    return questions;
}

}  // namespace

int ShowMessageBox(const std::string& prompt, int style, const std::string& title, QWidget* parent) {
    if (!parent)
        parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    QMessageBox box(parent);
    box.setWindowTitle(ToQ(title.empty() ? std::string(kProgramTitle) : title));
    // The prompt is shown as written: "<" and "&" are text, not markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(DisplayText(prompt));
    box.setIcon(IconOf(style));

    const Buttons buttons = ButtonsOf(style);
    for (const auto& [button, answer] : buttons) box.addButton(button);
    const std::size_t defaultIndex = static_cast<std::size_t>((style >> 8) & 3);
    box.setDefaultButton(buttons.at(defaultIndex < buttons.size() ? defaultIndex : 0).first);

    // Ctrl+C copies the box, so a user (or a script) can pass on exactly what it said.
    QShortcut copy(QKeySequence::Copy, &box);
    QObject::connect(&copy, &QShortcut::activated, &box,
                     [&box] { QGuiApplication::clipboard()->setText(CopiedText(box)); });

    box.exec();
    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const auto& [button, answer] : buttons)
        if (button == clicked) return answer;
    return AnswerWithoutButton(buttons);
}

MsgBoxHandler QtMsgBoxHandler() {
    return [](const std::string& prompt, int style, const std::string& title) {
        QCoreApplication* app = QCoreApplication::instance();
        if (QThread::currentThread() == app->thread()) return ShowMessageBox(prompt, style, title);
        // From a worker: the window thread shows the box while the worker waits, so
        // questions keep the order in which the worker asks them.
        return Questions().Ask(prompt, style, title);
    };
}

void CloseWorkerQuestions(std::thread::id worker) {
    Questions().Close(worker);
}

void ReopenWorkerQuestions(std::thread::id worker) {
    Questions().Reopen(worker);
}

int WorkerQuestionsWaiting() {
    return Questions().Waiting();
}
