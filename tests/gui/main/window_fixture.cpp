#include "window_fixture.h"

#include "gui/main/list_frame.h"
#include "gui/models/task_list_model.h"
#include "model/settings/configuration.h"
#include "platform/thread_sem.h"
#include "support/gui_test.h"
#include "tasks/av_task.h"

#include <QApplication>
#include <QDir>
#include <QItemSelectionModel>
#include <unistd.h>

namespace vc::test {

WindowTest::WindowTest()
    : pool_name_("vc-test-gui-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()) {
    qputenv("XDG_DATA_HOME", QString::fromStdString((dir_ / "xdg").string()).toUtf8());
    qputenv("VCONV_SLOT_POOL", QByteArray::fromStdString(pool_name_));
    qputenv("VCONV_SLOTS", "4");
    RemoveNamedSemaphore(pool_name_);
    AVConfiguration().SetShowAlert(false);
    AVConfiguration().SetShutdownWhenDone(false);
    AVConfiguration().SetFirstRun(false);
    previous_shell_ = InstallShellLauncher(&shell_);
}

WindowTest::~WindowTest() {
    CloseTopLevels();
    window_.reset();
    RemoveNamedSemaphore(pool_name_);
    InstallShellLauncher(previous_shell_);
    AVConfiguration().SetShutdownWhenDone(false);
}

QString WindowTest::AppFolder() const {
    return TAVConfiguration::GetAppDataFolder();
}

std::unique_ptr<TPersistentManager> WindowTest::OpenStore() const {
    return std::make_unique<TPersistentManager>(AppFolder(), QString::fromStdString((dir_ / "out").string()));
}

void WindowTest::MakeWindow() {
    window_ = std::make_unique<gui::TFormMain>(&shutdown_);
    window_->resize(1000, 600);
    window_->show();
    QApplication::processEvents();
}

std::unique_ptr<TConversionSettings> WindowTest::EndlessRequest(const QString& name) const {
    auto s = std::make_unique<TConversionSettings>();
    s->SetSourceFiles({"testsrc=size=96x64:rate=25"});
    s->ConvertOptions()->SetInputFormat("lavfi");
    s->SetTargetFile(QString::fromStdString((dir_ / "out").string()) + "/" + name + ".avi");
    s->SetProfile("AVI");
    s->SetCategoryId(1);
    return s;
}

std::unique_ptr<TConversionSettings> WindowTest::CopyRequest(int category, const QString& name) const {
    auto s = std::make_unique<TConversionSettings>();
    s->SetSourceFiles({QString::fromStdString(Media("h264_aac.mp4").string())});
    s->SetTargetFile(QString::fromStdString((dir_ / "out").string()) + "/" + name + ".mkv");
    s->SetProfile("MKV copy");
    s->SetCategoryId(category);
    s->ConvertOptions()->VideoOptions()->SetVideoStreamCopy(true);
    s->ConvertOptions()->AudioOptions()->SetAudioStreamCopy(true);
    return s;
}

std::int64_t WindowTest::StoreUnfinished(TPersistentManager& store, const QString& source) const {
    TConversionSettings s;
    s.SetSourceFiles({source});
    s.SetTargetFile(QString::fromStdString((dir_ / "out").string()) + "/restored.mkv");
    s.SetProfile("MKV copy");
    return store.NewDbTask(TPersistentManager::GetConvertSettings(s));
}

std::int64_t WindowTest::StoreFinished(TPersistentManager& store, int category, const QString& target,
                                       const QDateTime& finished) const {
    TConversionSettings s;
    s.SetSourceFiles({QString::fromStdString(Media("h264_aac.mp4").string())});
    s.SetTargetFile(target);
    s.SetProfile("MKV copy");
    const auto id = store.NewDbTask(TPersistentManager::GetConvertSettings(s));
    store.FinishDbTask(id, TPersistentManager::GetConvertSettings(s), category, "line 1\r\n", finished);
    return id;
}

void WindowTest::SelectRows(const QList<int>& rows) {
    gui::TFrameList* list = window_->List();
    list->selectionModel()->clear();
    for (int i = 0; i < rows.size(); ++i) {
        const QModelIndex index = list->model()->index(rows[i], 0);
        const auto flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        if (i == 0)
            list->selectionModel()->setCurrentIndex(index, flags);
        else
            list->selectionModel()->select(index, flags);
    }
    QApplication::processEvents();
}

TAVTask* WindowTest::Task(int row) const {
    return window_->ListModel()->TaskAt(row);
}

int WindowTest::Rows() const {
    return window_->ListModel()->rowCount();
}

} // namespace vc::test
