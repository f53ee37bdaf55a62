// The batch wizard driven as a user drives it, and the tasks its request becomes.
#include "wizard_fixture.h"

#include "engine/options/convert_options.h"
#include "gui/main/main_window.h"
#include "gui/widgets/virtual_tree_edit.h"
#include "gui/wizards/file_edit.h"
#include "gui/wizards/media_file_filters.h"
#include "gui/wizards/new_batch_wizard.h"
#include "gui/wizards/profile_chooser.h"
#include "model/profiles/profile.h"
#include "model/settings/configuration.h"
#include "model/settings/conversion_settings.h"
#include "model/settings/thread_counts.h"
#include "platform/system_shutdown.h"
#include "platform/thread_sem.h"
#include "support/gui_test.h"
#include "support/recording_message_sink.h"
#include "tasks/av_task.h"
#include "tasks/node_object.h"
#include "tasks/task_view.h"

#include <QComboBox>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <QUrl>

namespace vc::test {
namespace {

using gui::TFormNewBatch;

QString MediaPath(const char* name) {
    return QFileInfo(QString::fromStdString(Media(name).string())).canonicalFilePath();
}

void Choose(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box->setCurrentIndex(index);
}

using NewBatchWizard = WizardTest;

TEST_F(NewBatchWizard, FileListFolderAndEnabling) {
    const QString films_folder = QString::fromStdString((dir_ / "Films").string());
    store_->NewCategory("Films", films_folder, 1);
    ScriptedFileChooser chooser;
    TFormNewBatch form(context_);
    form.show();
    EXPECT_EQ(form.edtSavePath->FileName(), root_folder_); // the configured output folder at first
    Choose(form.Chooser->cbbCategory, "MP4");
    QTest::qWait(400);
    EXPECT_FALSE(form.btnFinish->isEnabled()); // a folder and a profile, but no file

    // Several files at once through the dialog, then one of them again: duplicates stay.
    const QString a = MediaPath("h264_aac.mp4"), b = MediaPath("odd_size.mp4");
    chooser.Queue({a, b});
    chooser.Queue({a});
    form.btnAddFiles->click();
    form.btnAddFiles->click();
    form.btnAddFiles->click(); // cancelled: adds nothing
    ASSERT_EQ(chooser.Questions().size(), 3u);
    EXPECT_EQ(chooser.Questions()[0].kind, gui::TFileQuestion::Kind::OpenFiles);
    EXPECT_EQ(chooser.Questions()[0].filters, gui::MediaFileFilters());
    EXPECT_EQ(form.Files(), (QStringList{a, b, a}));
    QTest::qWait(400);
    EXPECT_TRUE(form.btnFinish->isEnabled());

    // Removing takes every selected file.
    form.lstFiles->item(0)->setSelected(true);
    form.lstFiles->item(2)->setSelected(true);
    form.lstFiles->setCurrentRow(2, QItemSelectionModel::Select);
    ASSERT_TRUE(form.btnRemoveFiles->isEnabled());
    form.btnRemoveFiles->click();
    EXPECT_EQ(form.Files(), QStringList{b});

    // The picker replaces the folder text; the profile leaves it alone.
    PickCategory(form.FCategoryEdit, "Films");
    EXPECT_EQ(form.edtSavePath->FileName(), films_folder);
    Choose(form.Chooser->cbbProfile, "H.264/MPEG-4 AVC Video (*.mp4)");
    EXPECT_EQ(form.edtSavePath->FileName(), films_folder);
}

TEST_F(NewBatchWizard, DroppedFilesAndFoldersAreAdded) {
    const std::filesystem::path folder = dir_ / "drop";
    std::filesystem::create_directories(folder / "inner");
    for (const char* name : {"b.mp4", "a.MKV", "notes.txt", "inner/c.mp3"})
        QFile(QString::fromStdString((folder / name).string())).open(QIODevice::WriteOnly);
    TFormNewBatch form(context_);
    form.show();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(MediaPath("audio.wav")),
                  QUrl::fromLocalFile(QString::fromStdString(folder.string()))});
    // As a drag does it: the drop only reaches a widget that took the drag when it entered.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.lstFiles->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.lstFiles->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    const QString f = QString::fromStdString(folder.string());
    EXPECT_EQ(form.Files(),
              (QStringList{MediaPath("audio.wav"), f + "/a.MKV", f + "/b.mp4", f + "/inner/c.mp3"}));
}

TEST_F(NewBatchWizard, RequestMatchesTheCommandLineAndThreeFilesMakeThreeTasks) {
    const QString films_folder = QString::fromStdString((dir_ / "Films").string());
    QDir().mkpath(films_folder);
    const int films = store_->NewCategory("Films", films_folder, 1);
    const QStringList files = {MediaPath("h264_aac.mp4"), MediaPath("odd_size.mp4"), MediaPath("audio.wav")};

    ScriptedFileChooser chooser;
    chooser.Queue(files);
    TFormNewBatch form(context_);
    form.show();
    form.btnAddFiles->click();
    Choose(form.Chooser->cbbCategory, "音频");
    Choose(form.Chooser->cbbProfile, "MP3 Audio");
    PickCategory(form.FCategoryEdit, "Films");
    ASSERT_TRUE(RunEventsUntil([&] { return form.btnFinish->isEnabled(); }, std::chrono::seconds(2)));
    form.btnFinish->click();
    ASSERT_EQ(form.result(), QDialog::Accepted);
    const std::unique_ptr<TConversionSettings> request = form.GetConversionSettings();
    EXPECT_EQ(request->SourceFiles(), files);
    EXPECT_EQ(request->TargetFolder(), films_folder);
    EXPECT_EQ(request->TargetFile(), ".mp3");
    // The processors shared among the conversions that run at once (the configuration says automatic).
    EXPECT_EQ(request->ConvertOptions()->ThreadCount(),
              BatchThreadCount(0, QThread::idealThreadCount(), 3,
                               SlotsAtOnce(qEnvironmentVariableIntValue("VCONV_SLOTS"))));

    // `vconv batch` with the same choices stores the same request with its first task.
    std::vector<std::string> args = {"batch",      "-q",
                                     "--profile",  "MP3 Audio",
                                     "-o",         films_folder.toStdString(),
                                     "--category", std::to_string(films)};
    for (const QString& f : files)
        args.push_back(f.toStdString());
    const ProcessResult cli = RunProcess(VconvPath().string(), args);
    ASSERT_EQ(cli.exit_code, 0) << cli.err;
    std::vector<TStoredTask> stored = store_->LoadConvertedTask(films);
    ASSERT_EQ(stored.size(), 3u);
    std::sort(stored.begin(), stored.end(), [](const auto& x, const auto& y) { return x.ID < y.ID; });
    TConversionSettings from_cli;
    TPersistentManager::ReadConvertSettings(from_cli, stored[0].ConvertSettings);
    // The runner stores each task with its own output path in place of the folder.
    TConversionSettings expected;
    expected.Assign(request.get());
    expected.SetTargetFile(films_folder + "/h264_aac.mp3");
    expected.SetTargetFolder(QString());
    EXPECT_EQ(DiffProperties(expected, from_cli,
                             {"ConvertOptions.VideoOptions.TopFieldFirst", "Duration", "SourceFileSize"})
                  .join("\n")
                  .toStdString(),
              "");
    for (const char* name : {"h264_aac.mp3", "odd_size.mp3", "audio.mp3"})
        QFile::remove(films_folder + "/" + name);

    // The main window makes one task per line, the first keeping every line.
    const std::string pool = "vc-test-wizards-" + std::to_string(QCoreApplication::applicationPid());
    qputenv("VCONV_SLOT_POOL", QByteArray::fromStdString(pool));
    qputenv("VCONV_SLOTS", "4");
    RemoveNamedSemaphore(pool);
    AVConfiguration().SetShowAlert(false);
    AVConfiguration().SetFirstRun(false);
    RecordingSystemShutdown shutdown;
    gui::TFormMain window(&shutdown);
    window.AddBatch(*request);
    const std::vector<TStoredTask> added = store_->LoadConvertingTask();
    ASSERT_EQ(added.size(), 3u);
    QStringList first_lines, last_lines;
    {
        TConversionSettings first, last;
        TPersistentManager::ReadConvertSettings(first, added.front().ConvertSettings);
        TPersistentManager::ReadConvertSettings(last, added.back().ConvertSettings);
        first_lines = first.SourceFiles();
        last_lines = last.SourceFiles();
    }
    EXPECT_EQ(first_lines, files);
    EXPECT_EQ(last_lines, QStringList{files[2]});
    ASSERT_TRUE(RunEventsUntil([&] { return store_->LoadConvertedTask(films).size() == 6; },
                               std::chrono::seconds(120)));
    for (const char* name : {"h264_aac.mp3", "odd_size.mp3", "audio.mp3"}) {
        const std::string out = (films_folder + "/" + name).toStdString();
        EXPECT_EQ(ProbeStreams(out), std::vector<std::string>{"audio:mp3"}) << name;
    }
    RemoveNamedSemaphore(pool);
}

} // namespace
} // namespace vc::test

namespace vc::test {
namespace {

TEST_F(NewBatchWizard, AFileListedTwiceOrTwoFilesOfOneNameAreNumberedOnlyWhenTheUserAgrees) {
    const std::filesystem::path other = dir_ / "other";
    std::filesystem::create_directories(other);
    std::filesystem::copy_file(Media("h264_aac.mp4"), other / "h264_aac.mp4");
    const QString a = MediaPath("h264_aac.mp4");
    const QString b = QString::fromStdString((other / "h264_aac.mp4").string());
    for (const bool agree : {false, true}) {
        SCOPED_TRACE(agree ? "numbered" : "kept open");
        RecordingMessageSink sink(agree);
        ScriptedFileChooser chooser;
        chooser.Queue({a, a, b});
        TFormNewBatch form(context_);
        form.show();
        form.btnAddFiles->click();
        Choose(form.Chooser->cbbCategory, "MP4");
        ASSERT_TRUE(RunEventsUntil([&] { return form.btnFinish->isEnabled(); }, std::chrono::seconds(2)));
        form.btnFinish->click();
        ASSERT_EQ(sink.Texts().size(), 1U);
        const QString asked = QString::fromStdString(sink.Texts().front());
        EXPECT_TRUE(asked.contains(QDir::toNativeSeparators(root_folder_ + "/h264_aac (2).mp4")))
            << asked.toStdString();
        EXPECT_TRUE(asked.contains(QDir::toNativeSeparators(root_folder_ + "/h264_aac (3).mp4")))
            << asked.toStdString();
        EXPECT_EQ(form.result() == QDialog::Accepted, agree);
        EXPECT_EQ(form.isVisible(), !agree);
    }
}

} // namespace
} // namespace vc::test
