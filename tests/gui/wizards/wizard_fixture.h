#pragma once
// What the wizard tests share: a private application-data folder (settings, task store, profile
// file) with a catalogue and a store, helpers that answer modal dialogs as a user would, and a
// property-by-property comparison of two requests.
#include "gui/wizards/conversion_wizard.h"
#include "gui/wizards/file_chooser.h"
#include "model/profiles/profile_list.h"
#include "store/persistent_manager.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

namespace vc::test {

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TempDir dir_;
    std::unique_ptr<TAVProfileList> catalogue_;
    std::unique_ptr<TPersistentManager> store_;
    gui::TWizardContext context_;
    QString root_folder_; // the root category's folder and the configured output folder
    QByteArray saved_xdg_;
};

// Calls `open` (which shows a modal dialog and waits in it) and answers the first modal dialog of
// class T that shows with `act`. Returns false when no such dialog showed.
template <class T> bool AnswerModal(const std::function<void()>& open, const std::function<void(T*)>& act) {
    bool answered = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll.stop();
            answered = true;
            QPointer<QDialog> open_dialog(dialog);
            act(dialog);
            // An answer cut short by a failed assertion must not leave the test waiting forever.
            if (open_dialog && open_dialog->isVisible())
                open_dialog->reject();
        }
    });
    poll.start();
    open();
    poll.stop();
    return answered;
}

// Answers the file questions of the wizards and their dialogs in place of the file dialog while it
// lives: each question takes the next queued answer (none left: the user cancels) and is kept.
class ScriptedFileChooser {
public:
    ScriptedFileChooser();
    ~ScriptedFileChooser();
    ScriptedFileChooser(const ScriptedFileChooser&) = delete;
    ScriptedFileChooser& operator=(const ScriptedFileChooser&) = delete;

    // The files the user picks at the next question (empty: cancels).
    void Queue(const QStringList& files) { answers_.push_back(files); }
    const std::vector<gui::TFileQuestion>& Questions() const { return questions_; }

private:
    std::vector<QStringList> answers_;
    std::vector<gui::TFileQuestion> questions_;
    gui::TFileChooser previous_;
};

// Selects the category named `name` in a category picker's drop-down and presses Enter.
void PickCategory(QWidget* category_edit, const QString& name);

// "path: a != b" for every published property (nested objects walked) that differs, except the
// names in `ignored` (dotted paths such as "ConvertOptions.VideoOptions.TopFieldFirst").
QStringList DiffProperties(const QObject& a, const QObject& b, const QStringList& ignored = {},
                           const QString& prefix = {});

} // namespace vc::test
