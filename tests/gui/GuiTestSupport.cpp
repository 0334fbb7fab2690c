#include "GuiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QThread>

namespace guitest {

MessageBoxAnswerer::MessageBoxAnswerer() {
    timer_.setInterval(15);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

void MessageBoxAnswerer::Plan(std::initializer_list<QMessageBox::StandardButton> answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

void MessageBoxAnswerer::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    Box seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) {
        seen.buttons.push_back(box->standardButton(button));
        seen.buttonTexts.push_back(button->text());
    }
    if (box->defaultButton()) seen.defaultButton = box->standardButton(box->defaultButton());
    boxes_.push_back(seen);
    if (inspect_) inspect_(*box);

    QMessageBox::StandardButton answer = seen.defaultButton;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    if (QAbstractButton* button = box->button(answer))
        button->click();
    else
        box->reject();
}

bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void TypeText(QWidget& widget, const QString& text) {
    // QTest::keyClicks knows Latin-1 keys only; a key event may carry any text.
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, &widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, &widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

std::string SaveScreenshot(QWidget& widget, const std::string& name) {
    const QString folder = QStringLiteral(NUTV_GUI_ARTIFACTS);
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + QString::fromStdString(name) + QStringLiteral(".png");
    widget.grab().save(path);
    return path.toStdString();
}

}  // namespace guitest
