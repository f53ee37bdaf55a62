#include "tasks/av_task.h"

#include "engine/converter/converter.h"
#include "engine/converter/output_staging.h"
#include "engine/dvd/dvd_stream.h"
#include "engine/streams/stream_source.h"
#include "model/profiles/image_sequence.h"
#include "model/settings/configuration.h"
#include "platform/error.h"
#include "platform/message_sink.h"
#include "platform/system_shutdown.h"
#include "store/persistent_manager.h"
#include "tasks/cell_text.h"
#include "tasks/task_locks.h"
#include "tasks/task_tree.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <sys/stat.h>

#include <algorithm>

namespace vc {

// --- TAVTask ----------------------------------------------------------------------------------

TAVTask::TAVTask(TTaskTree* tree, const TConversionSettings& settings, TTaskView* list_view)
    : TNodeObject(tree), settings_(std::make_unique<TConversionSettings>()) {
    settings_->Assign(&settings);
    list_view_ = list_view;
}

TAVTask::TAVTask(TTaskTree* tree, TTaskView* list_view)
    : TNodeObject(tree), settings_(std::make_unique<TConversionSettings>()) {
    list_view_ = list_view;
}

TAVTask::~TAVTask() {
    DropConverter();
}

void TAVTask::DropConverter() {
    if (!converter_)
        return;
    // No more events into a task that is going away. The converter's destructor stops the run,
    // a wait for a slot included, and waits for its worker, so no thread outlives the task and
    // no slot stays taken.
    QObject::disconnect(converter_.get(), nullptr, this, nullptr);
    converter_.reset();
}

TAVConverter& TAVTask::Converter() {
    if (!converter_) {
        converter_ = std::make_unique<TAVConverter>();
        // OnLog comes on the worker thread: handled there, under the log's own lock.
        connect(
            converter_.get(), &TAVConverter::OnLog, this,
            [this](int, const QString& line) { AddLogLine(line); }, Qt::DirectConnection);
        connect(
            converter_.get(), &TAVConverter::OnProgress, this, [this] { ConverterProgress(); },
            Qt::DirectConnection);
        connect(
            converter_.get(), &TAVConverter::OnComplete, this, [this] { ConverterComplete(); },
            Qt::DirectConnection);
        connect(
            converter_.get(), &TAVConverter::OnError, this,
            [this](const QString& message) { ConverterError(message); }, Qt::DirectConnection);
        connect(
            converter_.get(), &TAVConverter::OnStopped, this, [this] { ConverterStopped(); },
            Qt::DirectConnection);
        // The converter raises its errors for the front end to present; the view does.
        connect(
            converter_.get(), &TAVConverter::OnRunError, this,
            [this](const QString& message) {
                if (tree_)
                    tree_->View().ShowTaskError(this, message);
            },
            Qt::DirectConnection);
    }
    return *converter_;
}

TAVTaskStatus TAVTask::Status() const {
    // A history row is finished even while its converter's worker is still winding down.
    if (converter_ && !is_converted_) {
        switch (converter_->State()) {
        case TAVConverter::cvWaiting: return TConversionSettings::stWaiting;
        case TAVConverter::cvRunning: return TConversionSettings::stRunning;
        default: break;
        }
    }
    return status_;
}

QStringList TAVTask::Log() const {
    std::lock_guard lock(log_mutex_);
    return log_;
}

QString TAVTask::LogText() const {
    std::lock_guard lock(log_mutex_);
    QString text;
    for (const QString& line : log_)
        text += line + "\r\n";
    return text;
}

void TAVTask::SetLogText(const QString& text) {
    // Stored lines end in CR LF; a bare LF or CR ends a line too.
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    std::lock_guard lock(log_mutex_);
    log_ = lines;
}

void TAVTask::AddLogLine(const QString& line) {
    {
        std::lock_guard lock(log_mutex_);
        while (log_.size() >= kMaxLogLines)
            log_.removeFirst();
        log_.append(line.trimmed());
    }
    // The log view belongs to the main thread: one refresh on its way at most, as a plain event
    // (nothing of ours crosses threads inside Qt's queue); dropped if the task is gone by then.
    if (!log_refresh_posted_.exchange(true))
        QCoreApplication::postEvent(this, new QEvent(LogRefreshEvent()));
}

QEvent::Type TAVTask::LogRefreshEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool TAVTask::event(QEvent* e) {
    if (e->type() != LogRefreshEvent())
        return TNodeObject::event(e);
    log_refresh_posted_ = false;
    ShowLogIfSelected();
    StoreLogSoon();
    return true;
}

void TAVTask::StoreLogSoon() {
    if (log_store_timer_ || !tree_ || id_ == 0 || is_converted_)
        return;
    // At most every kLogStoreIntervalMs: a chatty run does not write its row for every line.
    const qint64 wait = std::max<qint64>(0, kLogStoreIntervalMs - log_stored_.elapsed());
    log_store_timer_ = true;
    QTimer::singleShot(log_stored_.isValid() ? wait : 0, this, [this] {
        log_store_timer_ = false;
        log_stored_.restart();
        if (!tree_ || id_ == 0 || is_converted_)
            return;
        try {
            tree_->Store().SaveConvertingLog(id_, LogText());
            // Once the run knows its source, the row knows it too: a killed run keeps it.
            if (converter_ && settings_->Duration() <= 0 && converter_->Duration() > 0)
                StoreRunFigures();
        } catch (const std::exception&) {
            // A busy or read-only store: the lines stay in memory and go with the next line or
            // the completion.
        }
    });
}

void TAVTask::ShowLogIfSelected() {
    if (tree_ && tree_->View().SelectedTask() == this)
        tree_->View().LogShown(Log());
}

bool TAVTask::CanOpenSource() const {
    const QStringList sources = settings_->SourceFiles();
    return !sources.isEmpty() && QFileInfo(sources.first()).isFile();
}

bool TAVTask::ConvertedIsValid() const {
    const QString target = settings_->TargetFile().trimmed();
    return is_converted_ && !target.isEmpty() && QFileInfo(target).isFile();
}

void TAVTask::LoadTaskInfo(TTaskView* info) {
    if (!info)
        throw Error("LoadTaskInfo needs a view");
    info_view_ = info;
    info->InfoColumnsReplaced({{"Category", 100}, {"Property", 150}, {"Value", 150}});
    info->LogShown(Log());
}

void TAVTask::ClearLog() {
    {
        std::lock_guard lock(log_mutex_);
        log_.clear();
    }
    ShowLogIfSelected();
    if (tree_)
        tree_->Store().ClearLog(id_);
}

void TAVTask::Delete(bool delete_source, bool delete_target) {
    if (!category_)
        throw Error("A task without a category cannot be deleted");
    // A task another running copy converts stays with it; this copy's own lock is kept until the
    // row is gone, so nobody starts the task in between.
    TaskLocks* locks = tree_->Locks();
    if (locks && id_ != 0) {
        const bool held = locks->HeldHere(id_);
        if (!locks->Lock(id_))
            throw TaskBusyElsewhere(id_);
        try {
            tree_->Store().DeleteTask(id_);
        } catch (...) {
            if (!held)
                locks->Unlock(id_, false);
            throw;
        }
    } else {
        tree_->Store().DeleteTask(id_);
    }
    // Stop (and wait for) a conversion before its files go: a waiting one ends its wait here.
    // What a run stopped here put at the target is the task's own.
    DropConverter();
    NoteTargetAfterRun();
    const QStringList sources = settings_->SourceFiles();
    if (delete_source && !sources.isEmpty() && QFileInfo(sources.first()).isFile())
        QFile::remove(sources.first());
    const QString target = settings_->TargetFile().trimmed();
    // Only what the task wrote: a file that was at the target before stays.
    if (delete_target && !target.isEmpty() && TargetIsItsOwn() && QFileInfo(target).isFile())
        QFile::remove(target);
    if (!target.isEmpty())
        RemoveAbandonedTemporaries(
            ImageSequenceOutputName(target, settings_->ConvertOptions()).toStdString());
    TNodeObject* category = category_;
    const bool shown = category->IsSelected();
    if (shown && category->ListView())
        category->ListView()->RowRemoved(this);
    // Freed here in any case: a task out of every list would otherwise be lost.
    const std::int64_t id = id_;
    category->TakeTask(this).reset();
    if (locks && id != 0)
        locks->Unlock(id, true);
}

void TAVTask::Start(TSemaphore*) {
    status_ = TConversionSettings::stRunning;
}

QString TAVTask::ResolveOutputPath(const TConversionSettings& settings) {
    QString folder = settings.TargetFolder().trimmed();
    if (folder.isEmpty())
        return settings.TargetFile();
    if (!folder.endsWith('/'))
        folder += '/';
    const QStringList sources = settings.SourceFiles();
    QString name = sources.isEmpty() ? QString() : FileNamePart(sources.first());
    const int dot = static_cast<int>(name.lastIndexOf('.'));
    if (dot >= 0)
        name.truncate(dot);
    return folder + name + settings.TargetFile();
}

void TAVTask::ConverterProgress() {
    TConvertingNode& node = tree_->ConvertingNode();
    if (node.IsSelected() && node.ListView())
        node.ListView()->ListRepainted();
}

void TAVTask::ReleaseLock(bool finished) {
    if (slot_ticket_)
        slot_ticket_->Withdraw(); // the run is over: later runs need not wait for its turn
    if (tree_ && tree_->Locks() && id_ != 0)
        tree_->Locks()->Unlock(id_, finished);
}

void TAVTask::ConverterError(const QString& message) {
    // A run that failed before transcoding: the task is failed and holds no slot.
    status_ = TConversionSettings::stError;
    ReleaseLock(false);
    AddLogLine(message);
    StoreRunFigures();
    ConverterProgress();
    ConversionEnded();
}

namespace {

// What tells one file at a path from another put there later: device, inode, time and size.
std::string FileIdentity(const QString& path) {
    struct stat st = {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + ":" +
           std::to_string(st.st_size);
}

} // namespace

void TAVTask::NoteTargetBeforeRun() {
    target_before_run_ = FileIdentity(settings_->TargetFile().trimmed());
}

void TAVTask::NoteTargetAfterRun() {
    if (!target_before_run_)
        return;
    const std::string now = FileIdentity(settings_->TargetFile().trimmed());
    if (!now.empty() && now != *target_before_run_)
        target_written_ = true;
}

bool TAVTask::TargetIsItsOwn() const {
    return status_ == TConversionSettings::stFinished || is_converted_ || target_written_;
}

void TAVTask::StoreRunFigures() {
    // The source's size and duration as the run found them go into the unfinished row, so the task
    // shows them after a restart too.
    if (!converter_ || !tree_ || id_ == 0 || is_converted_)
        return;
    if (converter_->Duration() > 0)
        settings_->SetDuration(converter_->Duration());
    if (converter_->InputSize() > 0)
        settings_->SetSourceFileSize(converter_->InputSize());
    try {
        tree_->Store().SaveConvertingSettings(id_, TPersistentManager::GetConvertSettings(*settings_));
        tree_->Store().SaveConvertingLog(id_, LogText());
    } catch (const std::exception&) {
        // A busy or read-only store: the figures are shown from memory until the program ends.
    }
}

void TAVTask::ConverterStopped() {
    // Stopped by the user: failed, in the list, to be started again. Someone is there to stop
    // it, so it is no reason to power the computer off.
    NoteTargetAfterRun();
    status_ = TConversionSettings::stError;
    ReleaseLock(false);
    StoreRunFigures();
    ConverterProgress();
}

void TAVTask::ConversionEnded() {
    TTaskTree& tree = *tree_;
    if (!AVConfiguration().ShutdownWhenDone() || !tree.Shutdown())
        return;
    // This task's converter still reports itself running until its event is over: it is left out.
    for (const auto& task : tree.ConvertingNode().Tasks()) {
        if (task.get() == this)
            continue;
        switch (task->Status()) {
        case TConversionSettings::stRunning:
        case TConversionSettings::stWaiting:
        case TConversionSettings::stPaused: return;
        default: break;
        }
    }
    tree.RequestShutdown();
}

void TAVTask::ConverterComplete() {
    TTaskTree& tree = *tree_;
    TConvertingNode& converting = tree.ConvertingNode();
    if (converter_ && !converter_->LastError().empty()) {
        // The run ended on an error (already shown in the error box). Filing it in the history as
        // finished would report a failure as success and drop the request from the list; it stays
        // here, failed, with its row unfinished, and can be started again.
        status_ = TConversionSettings::stError;
        ReleaseLock(false);
        AddLogLine(QString::fromStdString(converter_->LastError()));
        StoreRunFigures();
        ConverterProgress();
        ConversionEnded();
        return;
    }
    status_ = TConversionSettings::stFinished;
    if (converting.IsSelected() && converting.ListView())
        converting.ListView()->ListRepainted();

    settings_->SetDuration(converter_ ? converter_->Duration() : settings_->Duration());
    int filed_under = 0;
    try {
        filed_under = tree.Store().FinishDbTask(id_, TPersistentManager::GetConvertSettings(*settings_),
                                                category_id_, LogText());
    } catch (const std::exception& e) {
        // The row stays unfinished, so the task stays in the list, failed, and can be run again;
        // moving it to the history now would lose it at the next start.
        status_ = TConversionSettings::stError;
        ReleaseLock(false);
        AddLogLine(QString::fromStdString(e.what()));
        tree.View().ShowTaskError(this, QString::fromStdString(e.what()));
        ConverterProgress();
        ConversionEnded();
        return;
    }
    date_ = QDateTime::currentDateTime();
    category_id_ = filed_under;
    ReleaseLock(true);

    std::unique_ptr<TAVTask> self = converting.TakeTask(this);
    const TAVConfiguration& config = AVConfiguration();
    if (config.ShowAlert())
        tree.View().ShowCompletionAlert(settings_->TargetFile().trimmed());

    TNodeObject* selected = tree.View().SelectedNode();
    if (converting.IsSelected()) {
        if (converting.ListView())
            converting.ListView()->RowRemoved(this);
    } else if (auto* category = dynamic_cast<TConvertedNode*>(selected);
               category && category->CategoryId() == category_id_ && self) {
        is_converted_ = true;
        category_ = category;
        if (category->ListView())
            category->ListView()->RowAdded(this);
        category->AppendTask(std::move(self));
    }
    if (self) {
        // Inside the converter's own event: it may only be freed once the event is over.
        self.release()->deleteLater();
    }

    ConversionEnded();
}

// --- TConvertingTask --------------------------------------------------------------------------

QString TConvertingTask::GetCaption(int column) const {
    const TConversionSettings& s = Settings();
    if (IsConverted()) {
        switch (column) {
        case 0: return SourceNameText(s);
        case 1: return KilobytesText(s.SourceFileSize());
        case 2: return FileNamePart(s.TargetFile());
        case 3: {
            const QFileInfo target(s.TargetFile().trimmed());
            return KilobytesText(target.isFile() ? target.size() : 0);
        }
        case 4: return s.Profile();
        case 5: return DurationText(s.Duration());
        case 6: return DateText(Date());
        default: return {};
        }
    }
    // The cells of a running task read the converter, which its worker updates. A task restored
    // from the store has none: its cells come from the stored request and the files on disk (a
    // stopped run's output is in place), and there is no time left to tell.
    auto* self = const_cast<TConvertingTask*>(this);
    switch (column) {
    case 0: return SourceNameText(s);
    case 1:
        if (s.SourceFileSize() == 0 && HasConverter())
            self->Settings().SetSourceFileSize(self->Converter().InputSize());
        if (s.SourceFileSize() == 0 && !HasConverter() && IsRestored()) {
            const QFileInfo source(s.SourceFiles().value(0));
            return KilobytesText(source.isFile() ? source.size() : 0);
        }
        return KilobytesText(s.SourceFileSize());
    case 2: return FileNamePart(s.TargetFile());
    case 3:
        if (!HasConverter() && IsRestored()) {
            const QFileInfo target(s.TargetFile().trimmed());
            return KilobytesText(target.isFile() ? target.size() : 0);
        }
        return KilobytesText(HasConverter() ? self->Converter().OutputSize() : 0);
    case 4: return s.Profile();
    case 5: return DurationText(HasConverter() ? self->Converter().Duration() : s.Duration());
    case 6: return QString::number(HasConverter() ? self->Converter().Progress() : 0) + "%";
    case 7: return BitrateText(HasConverter() ? self->Converter().Bitrate() : 0);
    case 8:
        if (!HasConverter() && IsRestored())
            return {};
        return DurationText(
            static_cast<double>(HasConverter() ? self->Converter().RemainingSeconds() : 362439));
    case 9: return DurationText(static_cast<double>(HasConverter() ? self->Converter().ElapsedSeconds() : 0));
    default: return {};
    }
}

void TConvertingTask::Start(TSemaphore* sem) {
    if (HasConverter() && Converter().IsBusy())
        throw Error("The conversion is still running");
    if (!RequestError().isEmpty())
        throw Error("Task " + std::to_string(ID()) +
                    " cannot start: its stored request cannot be read: " + RequestError().toStdString() +
                    "\nThe stored request is left as it is; delete the task and add the conversion anew.");
    // A stored task that another running copy converts is refused before anything changes. A new
    // task has no id yet: NewConversion takes its lock once the store has given it one.
    TaskLocks* locks = Tree() ? Tree()->Locks() : nullptr;
    if (locks && ID() != 0 && !locks->Lock(ID()))
        throw TaskBusyElsewhere(ID());
    TConversionSettings& s = Settings();
    // No two runs write one file: an output another unfinished task writes, or waits to write, is
    // refused before anything changes.
    if (locks) {
        const QString target = s.TargetFolder().trimmed().isEmpty() ? s.TargetFile() : ResolveOutputPath(s);
        if (auto holder = locks->LockTarget(ID(), target, SourceNameText(s))) {
            ReleaseLock(false);
            throw TargetBusy(target, *holder);
        }
    }
    QStringList sources = s.SourceFiles();
    QString input = sources.isEmpty() ? QString() : sources.first();
    const QString drive = s.DvdDriver().trimmed();
    // A DVD task reads its title through a stream of its own, opened afresh from the stored choice
    // at every start: a stored "stream:" number belonged to the run that made the task (here it
    // may name another live stream), and a stream a stopped run read from stands in the middle of
    // the range. Only a request that names no drive keeps the "stream:" source it was given.
    if (s.SourceType() == TConversionSettings::stDvd && (IsRestored() || dvd_source_ || !drive.isEmpty())) {
        if (drive.isEmpty() || !QFileInfo::exists(drive)) {
            ReleaseLock(false);
            throw Error(
                "The DVD of this task (" + s.DvdVolume().toStdString() + ", drive \"" + drive.toStdString() +
                "\") is not available: insert the disc and start the task again, or add the conversion anew");
        }
        std::shared_ptr<TStream> stream;
        try {
            stream =
                std::make_shared<TDvdStream>(drive.toStdString(), s.DvdTitle(), std::max(1, s.DvdAngle()),
                                             std::max(1, s.DvdChapter()), std::max(1, s.DvdThrough()));
        } catch (const std::exception& e) {
            ReleaseLock(false);
            throw Error("The DVD of this task cannot be read again (" + std::string(e.what()) +
                        "): insert the disc and start the task again, or add the conversion anew");
        }
        // A run still reading the previous stream holds it itself; its number goes now.
        dvd_source_ = std::make_unique<TStreamRegistration>(stream);
        // Keep what followed the old number (an extension that names the container).
        static const QRegularExpression number(QStringLiteral("^stream:\\d+"));
        input = QString::fromStdString(dvd_source_->Url()) + QString(input).remove(number);
        if (!input.startsWith("stream:"))
            input = QString::fromStdString(dvd_source_->Url());
        sources.isEmpty() ? sources.append(input) : void(sources[0] = input);
        s.SetSourceFiles(sources);
    }

    TAVConverter& converter = Converter();
    TAVTask::Start(sem);
    {
        // Clear the log; the row shows the empty one.
        SetLogText(QString());
        ShowLogIfSelected();
    }
    converter.SetInputFiles({input});
    if (!s.TargetFolder().trimmed().isEmpty()) {
        s.SetTargetFile(ResolveOutputPath(s));
        s.SetTargetFolder(QString());
    }
    converter.SetConvertOptions(s.ConvertOptions());
    // The task keeps the first picture's name of a sequence; the converter gets the pattern.
    converter.SetOutputFiles({ImageSequenceOutputName(s.TargetFile(), converter.ConvertOptions())});
    // Runs take slots in the order they were started (a batch's tasks in the order given).
    slot_ticket_ = sem ? std::make_unique<SlotTicket>(sem) : nullptr;
    NoteTargetBeforeRun();
    try {
        converter.Start(slot_ticket_.get());
    } catch (...) {
        SetStatus(TConversionSettings::stError);
        ReleaseLock(false);
        throw;
    }
}

void TConvertingTask::Pause() {
    TAVTask::Pause();
    if (HasConverter())
        Converter().Pause();
}

void TConvertingTask::Resume() {
    TAVTask::Resume();
    if (HasConverter())
        Converter().Resume();
}

void TConvertingTask::Stop() {
    TAVTask::Stop();
    if (HasConverter())
        Converter().Stop();
}

} // namespace vc
