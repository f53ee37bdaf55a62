#include "cli/console_tasks.h"

#include "engine/converter/converter.h"
#include "model/settings/configuration.h"
#include "platform/error.h"
#include "platform/message_sink.h"
#include "platform/text_width.h"
#include "store/persistent_manager.h"
#include "store/sqlite_db.h"
#include "tasks/av_task.h"
#include "tasks/task_locks.h"
#include "tasks/task_tree.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <sqlite3.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace vc::cli {

namespace {

std::atomic<bool> g_interrupted{false};
void OnInterrupt(int) {
    g_interrupted = true;
}

QByteArray Local(const QString& text) {
    return text.toLocal8Bit();
}

// Table captions are the task layer's Chinese column texts, shown in the interface language with
// the desktop program's translations. The captions only vconv's tables have:
[[maybe_unused]] const char* const kConsoleCaptions[] = {
    QT_TRANSLATE_NOOP("vc::TaskTexts", "分类"),
    QT_TRANSLATE_NOOP("vc::TaskTexts", "文件夹"),
    QT_TRANSLATE_NOOP("vc::TaskTexts", "状态"),
};

QString Caption(const QString& text) {
    return QCoreApplication::translate("vc::TaskTexts", text.toUtf8().constData());
}

// Columns as wide as their widest cell, counted in terminal cells (a CJK character takes two).
QString Pad(const QString& text, int width) {
    return text + QString(std::max(0, width - DisplayWidth(text)), ' ');
}

QString FormatTable(const QStringList& source_captions, const std::vector<QStringList>& rows) {
    QStringList captions;
    for (const QString& c : source_captions)
        captions << Caption(c);
    std::vector<int> widths;
    for (const QString& c : captions)
        widths.push_back(DisplayWidth(c));
    for (const QStringList& row : rows)
        for (int i = 0; i < row.size() && i < static_cast<int>(widths.size()); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    auto line = [&](const QStringList& cells) {
        QString out;
        for (int i = 0; i < cells.size() && i < static_cast<int>(widths.size()); ++i)
            out += (i + 1 < cells.size() ? Pad(cells[i], widths[i]) + "  " : cells[i]);
        return out + '\n';
    };
    QString text = line(captions);
    for (const QStringList& row : rows)
        text += line(row);
    return text;
}

} // namespace

// FollowTasks reports each finished task itself, whatever the alert setting says.
void ConsoleView::ShowCompletionAlert(const QString&) {}

TaskSessionSetup ConsoleSessionSetup() {
    TaskSessionSetup setup;
    if (const char* name = std::getenv(kSlotPoolVariable); name && *name)
        setup.slot_pool = name;
    if (const char* count = std::getenv(kSlotCountVariable))
        setup.slot_count = std::atoi(count);
    return setup;
}

std::optional<std::int64_t> ParseId(const QString& text) {
    bool ok = false;
    const qlonglong id = text.trimmed().toLongLong(&ok);
    if (!ok || id <= 0)
        return std::nullopt;
    return id;
}

void PrintTable(const QStringList& captions, const std::vector<QStringList>& rows) {
    std::fputs(Local(FormatTable(captions, rows)).constData(), stdout);
}

QString StatusText(const TAVTask& task) {
    switch (task.Status()) {
    case TConversionSettings::stRunning: return "running";
    case TConversionSettings::stPaused: return "paused";
    case TConversionSettings::stError: return "failed";
    case TConversionSettings::stFinished: return "finished";
    case TConversionSettings::stWaiting: return "waiting";
    }
    return "?";
}

QStringList TaskRow(const TAVTask& task) {
    QStringList row;
    for (int column = 0; column < static_cast<int>(TConvertingNode::Columns().size()); ++column)
        row << task.GetCaption(column);
    return row;
}

int UsageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "vconv %s: %s\nTry 'vconv %s --help'.\n", command, message.c_str(), command);
    return 2;
}

namespace {

// Where a followed task stands, as the live table shows it. "running" only while its converter
// holds a slot, so the status lines show exactly when slots are taken and given back.
// Error boxes raised while following (a conversion that fails part-way ends through the error
// box and then completes): shown on stderr and counted, so the exit code tells of them.
class CountingSink final : public MessageSink {
public:
    CountingSink() : installed_over_(InstallMessageSink(this)) {
        previous_ = installed_over_ ? installed_over_ : &stderr_sink_;
    }
    ~CountingSink() override { InstallMessageSink(installed_over_); }
    void Show(MessageKind kind, const std::string& caption, const std::string& text) override {
        if (kind == MessageKind::Error)
            ++errors;
        previous_->Show(kind, caption, text);
    }
    bool Confirm(const std::string& caption, const std::string& text) override {
        return previous_->Confirm(caption, text);
    }
    std::atomic<int> errors{0};

private:
    MessageSink* installed_over_; // null: the default sink was in place
    StderrMessageSink stderr_sink_;
    MessageSink* previous_;
};

// The store writes a task's log only when the task finishes; a failed task would lose the reason
// with this process. Written through a connection of its own, to the unfinished row only.
void KeepFailureLog(TPersistentManager& store, const TAVTask& task) {
    try {
        SqliteDb db(store.Path().toStdString());
        sqlite3_busy_timeout(db.Handle(), TPersistentManager::kBusyTimeoutMs);
        db.Prepare("UPDATE Conversions SET Log = ? WHERE ID = ? AND Converting = 1")
            .Reset()
            .Bind(1, task.LogText())
            .Bind(2, task.ID())
            .Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv: the log of task %lld was not kept: %s\n",
                     static_cast<long long>(task.ID()), e.what());
    }
}

QString Phase(TAVTask& task) {
    if (task.HasConverter()) {
        switch (task.Converter().State()) {
        case TAVConverter::cvRunning: return "running";
        case TAVConverter::cvWaiting: return "waiting";
        case TAVConverter::cvPaused: return "paused";
        case TAVConverter::cvStopping: return "stopping";
        case TAVConverter::cvIdle: break;
        }
        if (task.Status() == TConversionSettings::stError)
            return "failed";
        return task.Converter().IsBusy() ? "opening" : "finishing";
    }
    return StatusText(task);
}

} // namespace

int FollowTasks(TaskSession& session, const std::vector<TAVTask*>& tasks, ProgressStyle style) {
    const bool show_progress = style == ProgressStyle::Text;
    const bool json = style == ProgressStyle::Json;
    struct Followed {
        std::int64_t id;
        QString name;
        QString phase;
        QStringList last_row;
        QString target;
        ProgressFigures figures;
        std::chrono::steady_clock::time_point json_at;
    };
    CountingSink errors;
    std::vector<Followed> followed;
    for (TAVTask* task : tasks)
        followed.push_back(
            {task->ID(), task->GetCaption(0), QString(), {}, task->Settings().TargetFile(), {}, {}});

    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND; // a second Ctrl+C ends the program at once
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    g_interrupted = false;
    bool stop_sent = false;

    const bool terminal = isatty(STDERR_FILENO) == 1;
    int drawn_lines = 0;
    auto last_table = std::chrono::steady_clock::now();
    const QStringList captions = {"ID", "文件", "状态", "进度", "比特率(kbs)", "已用时间", "剩余时间"};

    TConvertingNode& node = session.Converting();
    auto find = [&](std::int64_t id) -> TAVTask* {
        for (const auto& t : node.Tasks())
            if (t->ID() == id)
                return t.get();
        return nullptr;
    };

    // The tasks' converters call into this thread through its event loop (completion waits for
    // it; progress and errors are posted), so the loop runs freely and the table is refreshed from
    // a timer that reads the converters' figures.
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(terminal ? 100 : 20);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        if (g_interrupted && !stop_sent) {
            stop_sent = true;
            for (const Followed& f : followed)
                if (TAVTask* t = find(f.id))
                    t->Stop();
        }

        const auto now = std::chrono::steady_clock::now();
        bool active = false;
        bool changed = false;
        QStringList done_lines;
        std::vector<QStringList> rows;
        for (Followed& f : followed) {
            TAVTask* task = find(f.id);
            QString phase;
            if (!task) {
                phase = f.phase == "failed" ? f.phase : QStringLiteral("finished");
            } else {
                phase = Phase(*task);
                const bool busy = task->HasConverter() && task->Converter().IsBusy();
                if (busy || task->Status() != TConversionSettings::stError)
                    active = true;
                f.last_row = TaskRow(*task);
                f.target = task->Settings().TargetFile();
            }
            if (json) {
                const int last_percent = f.figures.percent;
                if (task)
                    f.figures = FiguresOf(task->HasConverter() ? &task->Converter() : nullptr);
                if (phase != f.phase || f.figures.percent != last_percent ||
                    (phase == "running" && now - f.json_at >= std::chrono::seconds(1))) {
                    PrintJsonProgress(f.id, phase, f.figures);
                    f.json_at = now;
                }
            }
            if (phase != f.phase) {
                f.phase = phase;
                changed = true;
                if (phase == "finished" && show_progress)
                    done_lines << "Done: " + f.target;
                if (show_progress && !terminal)
                    std::fprintf(stderr, "%s  #%lld  %s  %s\n",
                                 Local(QDateTime::currentDateTime().toString("hh:mm:ss.zzz")).constData(),
                                 static_cast<long long>(f.id), Local(f.name).constData(),
                                 Local(phase).constData());
            }
            const QStringList& r = f.last_row;
            const bool finished = phase == "finished";
            rows.push_back({QString::number(f.id), f.name, phase, finished ? "100%" : r.value(6), r.value(7),
                            r.value(9), finished ? "0:0:0" : r.value(8)});
        }

        // Lines for finished tasks go above the table: over the last drawing on a terminal.
        if (terminal && drawn_lines > 0 && !done_lines.isEmpty()) {
            std::fprintf(stderr, "\033[%dA", drawn_lines);
            drawn_lines = 0;
        }
        for (const QString& line : done_lines)
            std::fprintf(stderr, "\r%s%s\n", Local(line).constData(), terminal ? "\033[K" : "");

        if (show_progress && terminal) {
            QString text = FormatTable(captions, rows);
            if (drawn_lines > 0)
                std::fprintf(stderr, "\033[%dA", drawn_lines);
            for (const QString& line : text.split('\n', Qt::SkipEmptyParts))
                std::fprintf(stderr, "\r%s\033[K\n", Local(line).constData());
            drawn_lines = static_cast<int>(rows.size()) + 1;
        } else if (show_progress && !changed && now - last_table >= std::chrono::seconds(5) && active) {
            std::fputs(Local(FormatTable(captions, rows)).constData(), stderr);
            last_table = now;
        }
        if (!active)
            loop.quit();
    });
    timer.start();
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The tasks give their locks back as their runs end; one that never got to run gives it here.
    for (const Followed& f : followed)
        session.Locks().Unlock(f.id, f.phase == "finished");
    int failed = 0;
    for (const Followed& f : followed)
        if (f.phase == "failed") {
            ++failed;
            if (TAVTask* t = find(f.id))
                KeepFailureLog(session.Store(), *t);
        }
    if (g_interrupted) {
        std::fprintf(stderr, "Stopped; the tasks stay in the task list (vconv start ID runs one again).\n");
        return 130;
    }
    if (failed == 0 && errors.errors > 0)
        return 1; // a conversion completed after an error; the message went to stderr
    if (failed > 0) {
        if (errors.errors == 0)
            for (const Followed& f : followed)
                if (f.phase == "failed")
                    if (TAVTask* t = find(f.id); t && !t->Log().isEmpty())
                        std::fprintf(stderr, "vconv: task %lld failed: %s\n", static_cast<long long>(f.id),
                                     Local(t->Log().last()).constData());
        return 1;
    }
    return 0;
}

} // namespace vc::cli
