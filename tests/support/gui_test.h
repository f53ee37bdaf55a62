#pragma once
// Helpers for the tests that drive the desktop program's widgets.
#include <QAbstractButton>
#include <QString>
#include <chrono>
#include <functional>

class QWidget;

namespace vc::test {

// Runs the event loop until `done` holds; false when `limit` passes first.
bool RunEventsUntil(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(30));
// Runs the event loop for `span`.
void RunEventsFor(std::chrono::milliseconds span);
// The visible top-level widget of class T whose window title is `title` (any title when empty),
// or null.
QWidget* FindTopLevel(const char* class_name, const QString& title = {});
// Closes every visible top-level widget but `keep` (message boxes left by a test).
void CloseTopLevels(QWidget* keep = nullptr);

// Once a modal window opens (a dialog's own loop), runs `answer` on it. Returns at once; call it
// before the action that opens the dialog. Gives up after `limit`.
void AnswerNextModal(std::function<void(QWidget*)> answer,
                     std::chrono::milliseconds limit = std::chrono::seconds(20));
// The button of `window` whose text (without "&") is `text`, or null.
QAbstractButton* FindButton(QWidget* window, const QString& text);

} // namespace vc::test
