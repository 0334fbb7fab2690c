#pragma once
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace guitest {

// Answers the message boxes that the window thread shows, as a user would: each box is
// recorded (caption, text, icon, buttons, default button) and the planned button is
// clicked. A box without a planned answer is closed with its default button.
class MessageBoxAnswerer {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        std::vector<QMessageBox::StandardButton> buttons;
        QStringList buttonTexts;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    MessageBoxAnswerer();
    void Plan(std::initializer_list<QMessageBox::StandardButton> answers);
    // Called with each box before it is answered (e.g. to look at the window behind it).
    void OnBox(std::function<void(QMessageBox&)> inspect) { inspect_ = std::move(inspect); }
    const std::vector<Box>& Boxes() const { return boxes_; }

private:
    void Poll();

    QTimer timer_;
    std::deque<QMessageBox::StandardButton> answers_;
    std::vector<Box> boxes_;
    std::function<void(QMessageBox&)> inspect_;
};

// Processes events until the condition holds or the time is up; returns the condition.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 10000);

// Types text (Korean included) into a widget as key events, one character each.
void TypeText(QWidget& widget, const QString& text);

// Saves a picture of the widget as a test artifact in the build tree; returns its path.
std::string SaveScreenshot(QWidget& widget, const std::string& name);

}  // namespace guitest
