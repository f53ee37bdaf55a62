#include "support/gui_test.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <thread>

namespace vc::test {

bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void RunEventsFor(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    RunEventsUntil([&] { return std::chrono::steady_clock::now() >= end; }, span + std::chrono::seconds(1));
}

QWidget* FindTopLevel(const char* class_name, const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->inherits(class_name) && (title.isEmpty() || w->windowTitle() == title))
            return w;
    return nullptr;
}

void CloseTopLevels(QWidget* keep) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != keep && w->isVisible())
            w->close();
    QApplication::processEvents();
}

void AnswerNextModal(std::function<void(QWidget*)> answer, std::chrono::milliseconds limit) {
    auto* timer = new QTimer(QApplication::instance());
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, limit] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        } else if (clock->elapsed() > limit.count()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

QAbstractButton* FindButton(QWidget* window, const QString& text) {
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->text().remove('&') == text)
            return button;
    return nullptr;
}

} // namespace vc::test
