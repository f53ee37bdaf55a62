#pragma once
// A main window over a task store of its own, a slot pool of its own, a recording shell and a
// recording shutdown: nothing reaches the user's data, the desktop or the machine.
#include "engine/converter/converter.h"
#include "gui/main/desktop_session.h"
#include "gui/main/main_window.h"
#include "model/settings/conversion_settings.h"
#include "platform/shell.h"
#include "platform/system_shutdown.h"
#include "store/persistent_manager.h"
#include "support/recording_message_sink.h"
#include "support/recording_shell.h"
#include "support/test_env.h"
#include "tasks/task_tree.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QStringList>
#include <memory>

namespace vc::test {

class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;

    QString AppFolder() const;
    // The store as another program sees it (to prepare rows before the window starts).
    std::unique_ptr<TPersistentManager> OpenStore() const;
    void MakeWindow();

    // A conversion of a generated picture that never ends by itself (stopped by the test).
    std::unique_ptr<TConversionSettings> EndlessRequest(const QString& name = "endless") const;
    // A short stream copy of a test clip into `category`.
    std::unique_ptr<TConversionSettings> CopyRequest(int category, const QString& name = "copy") const;
    // Stores an unfinished task (as a crashed run leaves it) and returns its id.
    std::int64_t StoreUnfinished(TPersistentManager& store, const QString& source) const;
    // Stores a finished task filed under `category` and returns its id.
    std::int64_t StoreFinished(TPersistentManager& store, int category, const QString& target,
                               const QDateTime& finished = QDateTime::currentDateTime()) const;

    // Selects these rows of the list (the first one focused).
    void SelectRows(const QList<int>& rows);
    TAVTask* Task(int row) const;
    int Rows() const;

    TempDir dir_;
    std::string pool_name_;
    RecordingMessageSink sink_;
    RecordingShell shell_;
    ShellLauncher* previous_shell_ = nullptr;
    RecordingSystemShutdown shutdown_;
    std::unique_ptr<gui::TFormMain> window_;
};

} // namespace vc::test
