#pragma once
// One conversion task: its own copy of the request, its converter, its log, and the texts of its
// list row. Owned by the Tasks list of its tree entry. Main thread, except the log, which the
// converter's worker thread appends to.
#include "model/settings/conversion_settings.h"
#include "tasks/node_object.h"
#include "tasks/ordered_slots.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vc {

class TAVConverter;
class TSemaphore;
class TStreamRegistration;

class TAVTask : public TNodeObject {
    Q_OBJECT

public:
    // The most lines a task's log keeps.
    static constexpr int kMaxLogLines = 51;

    TAVTask(TTaskTree* tree, const TConversionSettings& settings, TTaskView* list_view);
    // With construction-value settings, to be filled from the store.
    TAVTask(TTaskTree* tree, TTaskView* list_view);
    // Stops a conversion that is still running or waiting for a slot, and waits for its worker.
    ~TAVTask() override;

    // The converter is made on first use: history rows never convert, and a converter is large.
    TAVConverter& Converter();
    bool HasConverter() const { return converter_ != nullptr; }
    TConversionSettings& Settings() { return *settings_; }
    const TConversionSettings& Settings() const { return *settings_; }

    // Completion time, in local time.
    QDateTime Date() const { return date_.isValid() ? date_.toLocalTime() : date_; }
    void SetDate(const QDateTime& v) { date_ = v; }
    // The effective status: waiting and running come from the converter, the rest is stored.
    TAVTaskStatus Status() const;
    TAVTaskStatus StoredStatus() const { return status_; }
    void SetStatus(TAVTaskStatus v) { status_ = v; }
    std::int64_t ID() const { return id_; }
    void SetID(std::int64_t v) { id_ = v; }
    int CategoryId() const { return category_id_; }
    void SetCategoryId(int v) { category_id_ = v; }
    bool IsConverted() const { return is_converted_; }
    void SetIsConverted(bool v) { is_converted_ = v; }
    TNodeObject* Category() const { return category_; }
    void SetCategory(TNodeObject* v) { category_ = v; }
    // Restored from the store at start-up (made by an earlier run of the program).
    bool IsRestored() const { return restored_; }
    void SetRestored(bool v) { restored_ = v; }
    // Why the stored request could not be read ("AudioVolume: 'loud' is not a number"); such a
    // task keeps its row and refuses to start, and its stored request is never written over.
    const QString& RequestError() const { return request_error_; }
    void SetRequestError(const QString& v) { request_error_ = v; }

    // The log: a copy of the lines; SetLogText takes stored text (lines ending in CR LF).
    QStringList Log() const;
    QString LogText() const; // each line followed by CR LF, as stored
    void SetLogText(const QString& text);
    // One line from the converter (any thread): trimmed and appended, dropping the oldest lines
    // so that at most kMaxLogLines remain. The log view is refreshed on the main thread.
    void AddLogLine(const QString& line);

    QString GetTargetProfileText() const { return settings_->Profile(); }
    // The first source line names an existing file.
    bool CanOpenSource() const;
    // A history row whose output file still exists.
    bool ConvertedIsValid() const;
    int GetImageIndex() const override { return static_cast<int>(Status()); }
    // Remembers the view, shows the information columns and the log.
    void LoadTaskInfo(TTaskView* info) override;
    // Empties the log, shows it, and clears it in the store.
    void ClearLog();
    // The file at the target is this task's own output: the task finished, or a run of it in this
    // process put the file there (a stopped run keeps what it converted). A file that was at the
    // target before, or that a killed run never replaced, is not.
    bool TargetIsItsOwn() const;
    // Deletes the store row, then the source and, when asked and it is the task's own
    // (TargetIsItsOwn), the output file (failures ignored), and the temporary files that runs of
    // the task in processes now gone left beside the target; then removes the task from its
    // category and frees it: `this` is gone afterwards. A task another running copy converts is
    // refused with TaskBusyElsewhere, before anything changes.
    void Delete(bool delete_source, bool delete_target) override;

    virtual void Start(TSemaphore* sem);
    virtual void Pause() { status_ = TConversionSettings::stPaused; }
    virtual void Resume() { status_ = TConversionSettings::stRunning; }
    virtual void Stop() { status_ = TConversionSettings::stError; }

    // The output path Start gives the converter: TargetFolder + the source's file name with its
    // extension replaced by TargetFile, or TargetFile itself when there is no folder.
    static QString ResolveOutputPath(const TConversionSettings& settings);

protected:
    // The log refresh posted by AddLogLine.
    bool event(QEvent* e) override;
    void ShowLogIfSelected();
    // Gives back this process's lock of the task when the run is over (the file goes too once
    // the task is finished for good).
    void ReleaseLock(bool finished);
    // Disconnects and frees the converter, ending its run first.
    void DropConverter();
    // Remembers the target before a run, and sees after a stopped run whether it replaced it.
    void NoteTargetBeforeRun();
    void NoteTargetAfterRun();
    // Main thread: the converter's events.
    virtual void ConverterProgress();
    virtual void ConverterComplete();
    virtual void ConverterError(const QString& message);
    virtual void ConverterStopped();
    // This task's run is over (finished or failed): with "shut down when done" on and no
    // other conversion running, waiting or paused, the computer is powered off.
    void ConversionEnded();
    // A run that ended unfinished (stopped or failed): what it learnt goes into the stored row.
    void StoreRunFigures();

protected:
    // The place of this task's run in the order of the process's waits for a slot (see
    // ordered_slots.h); made at every start with a pool, given up when the run ends. Declared before
    // the converter, whose run uses it, so it goes after it.
    std::unique_ptr<SlotTicket> slot_ticket_;

private:
    std::unique_ptr<TConversionSettings> settings_;
    std::unique_ptr<TAVConverter> converter_;
    QDateTime date_;
    TAVTaskStatus status_ = TConversionSettings::stRunning;
    std::int64_t id_ = 0;
    int category_id_ = 0;
    bool is_converted_ = false;
    bool restored_ = false;
    QString request_error_;
    // The target as it was when the last run started ("" when missing), and whether a run of this
    // process replaced it since. Main thread.
    std::optional<std::string> target_before_run_; // empty: no run of this process yet
    bool target_written_ = false;
    TNodeObject* category_ = nullptr;

    mutable std::mutex log_mutex_; // guards log_: the worker appends, the main thread reads and clears
    QStringList log_;
    std::atomic<bool> log_refresh_posted_{false}; // set by AddLogLine (any thread), cleared on main
    static QEvent::Type LogRefreshEvent();
    // The log reaches the task's unfinished row as it grows (main thread only).
    void StoreLogSoon();
    static constexpr int kLogStoreIntervalMs = 500;
    QElapsedTimer log_stored_;
    bool log_store_timer_ = false;

protected:
    // The task's own DVD title stream, registered as a "stream:" name: read afresh from the disc
    // at every start, so a start after a stop reads the range from its beginning, and kept while
    // the task lives.
    std::unique_ptr<TStreamRegistration> dvd_source_;
};

// The class of every task the program makes, new or loaded.
class TConvertingTask : public TAVTask {
    Q_OBJECT

public:
    using TAVTask::TAVTask;

    QString GetCaption(int column) const override;
    // Clears the log, resolves the output path (an image sequence's numbered pattern included),
    // opens the task's own DVD title stream for a DVD source, copies source, target and options
    // into the converter and starts it with `sem` (may be null). A task whose stored request could
    // not be read is refused with vc::Error naming the bad value. A stored task that another running copy
    // converts is refused with TaskBusyElsewhere, a restored DVD task whose disc is not there
    // with vc::Error, before anything changes.
    void Start(TSemaphore* sem) override;
    void Pause() override;
    void Resume() override;
    void Stop() override;
};

} // namespace vc
