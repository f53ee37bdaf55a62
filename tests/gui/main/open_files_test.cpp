// Files given to the program or dropped on it open the real wizards: one file the new-conversion
// wizard with it as the source, several files or a folder the batch wizard with them listed.
#include "gui/app/application.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/new_batch_wizard.h"
#include "gui/wizards/new_conversion_wizard.h"
#include "support/gui_test.h"
#include "window_fixture.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>

namespace vc::test {
namespace {

using namespace std::chrono_literals;

QString MediaPath(const std::string& name) {
    return QFileInfo(QString::fromStdString(Media(name).string())).canonicalFilePath();
}

struct Opened {
    QString title;
    QStringList files; // the batch list, or the single source
};

// Opens `files` through the window and reports the wizard that came up, cancelled at once.
Opened OpenAndCancel(gui::TFormMain& window, const QStringList& files) {
    Opened opened;
    AnswerNextModal([&](QWidget* dialog) {
        opened.title = dialog->windowTitle();
        if (auto* batch = qobject_cast<gui::TFormNewBatch*>(dialog)) {
            opened.files = batch->Files();
        } else if (auto* single = qobject_cast<gui::TFormNewConversion*>(dialog)) {
            opened.files << single->edtSource->FileName();
        }
        static_cast<QDialog*>(dialog)->reject();
    });
    gui::OpenFilesWhenFree(&window, files);
    RunEventsUntil([&] { return !opened.title.isEmpty(); }, 20s);
    return opened;
}

TEST_F(WindowTest, GivenFilesOpenTheWizardForOneOrTheBatchWizardForSeveral) {
    MakeWindow();
    const QString a = MediaPath("h264_aac.mp4");
    const QString b = MediaPath("mpeg4_aac.mkv");
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());

    const Opened one = OpenAndCancel(*window_, {a});
    EXPECT_EQ(one.title, "新建转换");
    EXPECT_EQ(one.files, QStringList({a}));

    const Opened two = OpenAndCancel(*window_, {a, b});
    EXPECT_EQ(two.title, "批量向导");
    EXPECT_EQ(two.files, QStringList({a, b}));

    // A folder alone is a batch of the media files in it.
    const QString folder = QString::fromStdString((dir_ / "clips").string());
    QDir().mkpath(folder);
    ASSERT_TRUE(QFile::copy(a, folder + "/one.mp4"));
    const Opened walked = OpenAndCancel(*window_, {folder});
    EXPECT_EQ(walked.title, "批量向导");
    EXPECT_EQ(walked.files, QStringList({folder + "/one.mp4"}));
    EXPECT_EQ(Rows(), 0); // cancelled: no task
}

} // namespace
} // namespace vc::test
