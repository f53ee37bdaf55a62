// Message boxes reach the main thread and never open a loop where they are raised.
#include "gui/app/gui_message_sink.h"
#include "platform/message_boxes.h"
#include "support/gui_test.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <thread>

namespace vc::gui {
namespace {

QMessageBox* OpenBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

TEST(GuiMessageSink, BoxesFromAnyThreadOpenLaterOnTheMainThreadWithoutBlocking) {
    GuiMessageSink sink;
    ShowErrorMessage("main thread");
    // Nothing opened inside the call: a converter's handler raising it returns at once.
    EXPECT_EQ(OpenBox(), nullptr);
    std::thread worker([] { ShowErrorMessage("from a worker"); });
    worker.join();

    QStringList texts;
    ASSERT_TRUE(test::RunEventsUntil([&] {
        texts.clear();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                EXPECT_EQ(box->thread(), QApplication::instance()->thread());
                EXPECT_EQ(box->windowTitle(), "Error");
                EXPECT_EQ(box->icon(), QMessageBox::Critical);
                texts << box->text();
            }
        return texts.size() == 2;
    }));
    texts.sort();
    EXPECT_EQ(texts, QStringList({"from a worker", "main thread"}));
    test::CloseTopLevels();
    EXPECT_TRUE(test::RunEventsUntil([] { return OpenBox() == nullptr; }));
}

TEST(GuiMessageSink, QuestionsAreAnsweredOnTheMainThreadFromAnyThread) {
    GuiMessageSink sink;
    QMessageBox::StandardButton press = QMessageBox::Yes;
    QObject::connect(&sink, &GuiMessageSink::BoxShown, [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Warning");
        // The box is about to run its loop: press once it does.
        QTimer::singleShot(0, box, [box, &press] { box->button(press)->click(); });
    });
    EXPECT_TRUE(ConfirmWarning("delete?"));
    press = QMessageBox::No;
    EXPECT_FALSE(ConfirmWarning("delete?"));

    press = QMessageBox::Yes;
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = ConfirmWarning("from a worker") ? 1 : 0; });
    EXPECT_TRUE(test::RunEventsUntil([&] { return answer >= 0; }));
    worker.join();
    EXPECT_EQ(answer, 1);
}

} // namespace
} // namespace vc::gui
