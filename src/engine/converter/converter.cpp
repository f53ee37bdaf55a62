#include "engine/converter/converter.h"

#include "engine/converter/conversion_engine.h"
#include "engine/converter/progress_math.h"
#include "platform/error.h"
#include "platform/message_sink.h"

#include <QMetaMethod>

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavutil/log.h>
#include <libavutil/time.h>
}

#include <pthread.h>

namespace vc {

namespace {

// OnProgress at most this often: a few times a second is what a view can show.
constexpr int64_t kProgressPeriodUs = 100000;

// Linux keeps 15 bytes of a thread name; the start of "Converting <input>" is what fits.
void NameThisThread(const std::string& name) {
    std::string shortened = name.substr(0, 15);
    pthread_setname_np(pthread_self(), shortened.c_str());
}

std::vector<std::string> ToStdLines(const QStringList& lines) {
    std::vector<std::string> result;
    result.reserve(lines.size());
    for (const auto& l : lines)
        result.push_back(l.toStdString());
    return result;
}

} // namespace

TAVConverter::TAVConverter(QObject* parent)
    : QObject(parent), convert_options_(new TAVConvertOptions(this)),
      memory_(std::make_unique<EngineMemory>()), owner_calls_(this) {
    // The one-time library set-up of the process: devices (lavfi, v4l2, ...) as input formats
    // and the log router.
    static std::once_flag devices;
    std::call_once(devices, [] { avdevice_register_all(); });
    InstallLibraryLogCallback();
    RegisterLogTarget(this);
}

TAVConverter::~TAVConverter() {
    if (worker_.joinable()) {
        Stop();
        while (!WaitForIdle(100))
            Stop();
    }
    UnregisterLogTarget(this);
}

// --- properties ---------------------------------------------------------------------------

int TAVConverter::Progress() const {
    return ComputeProgress(run_start_us_, run_recording_us_, duration_, converted_duration_);
}

int64_t TAVConverter::ElapsedSeconds() const {
    return ComputeElapsedSeconds(start_time_, last_time_);
}

int64_t TAVConverter::RemainingSeconds() const {
    return ComputeRemainingSeconds(ElapsedSeconds(), Progress());
}

std::string TAVConverter::LastLog() const {
    std::lock_guard lock(text_mutex_);
    return last_log_;
}

std::string TAVConverter::LastError() const {
    std::lock_guard lock(text_mutex_);
    return last_error_;
}

// --- run control (owner thread) -----------------------------------------------------------

void TAVConverter::Start(TSemaphore* sem) {
    if (busy_.load())
        throw Error("The conversion is still running");
    if (worker_.joinable())
        worker_.join();
    {
        std::lock_guard lock(control_mutex_);
        slots_ = sem;
        holds_slot_ = false;
        state_ = cvIdle;
    }
    // The run works on copies: the owner may edit its objects while the worker reads them.
    auto run_options = std::make_unique<TAVConvertOptions>();
    run_options->Assign(convert_options_);
    run_options->DtsDeltaThreshold = convert_options_->DtsDeltaThreshold;
    run_options->ScalerFlags = convert_options_->ScalerFlags;
    run_options->DataMaxFrames = convert_options_->DataMaxFrames;
    // Assign leaves ForceFPS to the target; the run must see the converter's own choice.
    run_options->VideoOptions()->SetForceFPS(convert_options_->VideoOptions()->ForceFPS());
    run_options->moveToThread(nullptr);
    run_start_us_ = run_options->StartTime();
    run_recording_us_ = run_options->RecordingTime();
    converted_duration_ = 0;
    progress_posted_ = false;
    {
        std::lock_guard lock(text_mutex_);
        last_error_.clear();
        last_log_.clear(); // the error box of this run shows this run's last line
    }
    busy_ = true;
    worker_ = std::thread([this, opts = run_options.release(), in = ToStdLines(input_files_),
                           out = ToStdLines(output_files_)]() mutable {
        std::unique_ptr<TAVConvertOptions> owned(opts);
        run_options_ = owned.get();
        ThreadMain(std::move(in), std::move(out));
        run_options_ = nullptr;
    });
}

void TAVConverter::Pause() {
    std::lock_guard lock(control_mutex_);
    if (state_ != cvRunning)
        return;
    state_ = cvPaused;
    ReleaseHeldSlot();
    state_changed_.notify_all();
}

void TAVConverter::Resume() {
    std::lock_guard lock(control_mutex_);
    if (state_ == cvPaused)
        state_ = cvRunning;
    state_changed_.notify_all();
}

void TAVConverter::Stop() {
    std::lock_guard lock(control_mutex_);
    switch (state_.load()) {
    case cvRunning:
    case cvWaiting: // cancels the wait for a slot
        state_ = cvStopping;
        break;
    case cvPaused:
        state_ = cvStopping;
        slots_ = nullptr; // the paused run holds no unit; nothing to give back at the end
        break;
    case cvIdle:
        // A run still opening its files: kept, so the run stops where it would take a slot.
        if (busy_.load())
            state_ = cvStopping;
        break;
    default: break;
    }
    state_changed_.notify_all();
}

bool TAVConverter::WaitForIdle(int timeout_ms) {
    bool idle = owner_calls_.WaitUntil([this] { return !busy_.load(); }, timeout_ms);
    if (idle && worker_.joinable())
        worker_.join();
    return idle;
}

// --- sem (worker thread) ----------------------------------------------------------------

// Called with control_mutex_ held.
void TAVConverter::ReleaseHeldSlot() {
    if (holds_slot_ && slots_)
        slots_->Release();
    holds_slot_ = false;
}

bool TAVConverter::AcquireSlotForStart() {
    TSemaphore* sem = nullptr;
    {
        std::lock_guard lock(control_mutex_);
        if (state_ == cvStopping)
            return false;
        sem = slots_;
        state_ = sem ? cvWaiting : cvRunning;
    }
    if (!sem)
        return true;
    bool acquired = sem->Acquire([this] { return state_.load() == cvStopping; });
    std::lock_guard lock(control_mutex_);
    if (!acquired)
        return false;
    if (state_ == cvWaiting) {
        state_ = cvRunning;
        holds_slot_ = true;
        return true;
    }
    sem->Release(); // stopped just as the unit came
    return false;
}

bool TAVConverter::ReacquireSlotAfterResume() {
    TSemaphore* sem = nullptr;
    {
        std::lock_guard lock(control_mutex_);
        sem = slots_;
        if (!sem || holds_slot_)
            return state_ == cvRunning;
    }
    bool acquired = sem->Acquire([this] { return state_.load() != cvRunning; });
    std::lock_guard lock(control_mutex_);
    if (!acquired)
        return false;
    if (state_ == cvRunning && slots_ == sem) {
        holds_slot_ = true;
        return true;
    }
    sem->Release(); // paused or stopped again while the unit came
    return false;
}

TAVConverter::TAVConverterState TAVConverter::WaitWhilePaused() {
    std::unique_lock lock(control_mutex_);
    state_changed_.wait(lock, [this] { return state_ != cvPaused; });
    return state_;
}

// --- the worker ---------------------------------------------------------------------------

void TAVConverter::ThreadMain(std::vector<std::string> inputs, std::vector<std::string> outputs) {
    NameThisThread("Converting " + (inputs.empty() ? std::string() : inputs.front()));
    const auto id = std::this_thread::get_id();
    ThreadRegistry::Add(id, this);
    try {
        Run(inputs, outputs);
    } catch (const std::exception& e) {
        // Only a failing event handler gets here; the run's own errors are handled inside.
        RecordEscapedError(e.what());
    } catch (...) {
        RecordEscapedError("an unknown error ended the conversion");
    }
    ThreadRegistry::Remove(id);
    {
        // Idle and not busy in one step: a Stop in between would be kept for a run that is over.
        std::lock_guard lock(control_mutex_);
        ReleaseHeldSlot();
        state_ = cvIdle;
        busy_ = false;
    }
    owner_calls_.Notify();
}

void TAVConverter::Run(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
    engine_ = std::make_unique<ConversionEngine>(*this, *run_options_, *memory_, inputs, outputs);
    try {
        engine_->Prepare();
    } catch (const std::exception& e) {
        FailBeforeTranscode(e.what());
        return;
    }
    try {
        Transcode();
    } catch (const OutputOpenError& e) {
        FailBeforeTranscode(e.what());
        return;
    }
    FinishRun();
}

void TAVConverter::Transcode() {
    start_time_ = 0;
    last_time_ = 0;
    video_frames_ = 0;
    try {
        if (engine_->SetupTranscode()) {
            engine_->PacketLoop();
            engine_->EndTranscode();
        } else {
            DoStopped();
        }
    } catch (const OutputOpenError&) {
        engine_->CleanupTranscode();
        throw; // the run ends as one whose files could not be opened
    } catch (const std::exception& e) {
        {
            std::lock_guard lock(text_mutex_);
            last_error_ = e.what();
        }
        ShowLastError();
    }
    engine_->CleanupTranscode();
}

void TAVConverter::FinishRun() {
    engine_->CloseFiles();
    engine_.reset();
    DoComplete();
    std::lock_guard lock(control_mutex_);
    ReleaseHeldSlot();
    state_ = cvIdle;
}

// A failure while opening: the owner hears of it, everything opened is closed and the tables
// are emptied so that the next run starts afresh. A slot is held only when an output file
// failed to open after it was taken; it is given back here.
void TAVConverter::FailBeforeTranscode(const std::string& message) {
    {
        std::lock_guard lock(text_mutex_);
        last_error_ = message;
    }
    engine_->CloseFiles();
    engine_.reset();
    {
        std::lock_guard lock(control_mutex_);
        ReleaseHeldSlot();
        state_ = cvIdle;
    }
    ShowLastError();
    const QString text = QString::fromStdString(message);
    owner_calls_.Post([this, text] { emit OnError(text); });
}

void TAVConverter::RecordEscapedError(const std::string& what) {
    {
        std::lock_guard lock(text_mutex_);
        last_error_ = what;
    }
    DoLog(AV_LOG_ERROR, what);
}

// --- events -------------------------------------------------------------------------------

void TAVConverter::RunOnOwner(const std::function<void()>& call) {
    owner_calls_.Run(call);
}

void TAVConverter::LibraryLogLine(int level, const std::string& text) {
    {
        std::lock_guard lock(text_mutex_);
        last_log_ = text;
    }
    DoLog(level, text);
}

void TAVConverter::DoLog(int level, const std::string& text) {
    emit OnLog(level, QString::fromStdString(text));
}

void TAVConverter::PresentRunError(const QString& message) {
    // Nobody to present it: the message sink shows it, here on the owner thread.
    if (isSignalConnected(QMetaMethod::fromSignal(&TAVConverter::OnRunError)))
        emit OnRunError(message);
    else
        CurrentMessageSink().Show(MessageKind::Error, "Error", message.toStdString());
}

void TAVConverter::RunError(const std::string& text) {
    DoLog(AV_LOG_ERROR, text);
    const QString message = QString::fromStdString(text);
    owner_calls_.Post([this, message] { PresentRunError(message); });
}

void TAVConverter::DoProgress() {
    // Called once per packet: no handler or one on its way already, nothing to do. The worker
    // never waits for the owner here; the figures are atomics the handler reads.
    if (!isSignalConnected(QMetaMethod::fromSignal(&TAVConverter::OnProgress)))
        return;
    const int64_t now_us = av_gettime_relative();
    if (now_us - last_progress_post_us_ < kProgressPeriodUs || progress_posted_.exchange(true))
        return;
    last_progress_post_us_ = now_us;
    owner_calls_.Post([this] {
        progress_posted_ = false;
        try {
            emit OnProgress();
        } catch (const std::exception& e) {
            PresentRunError(QString::fromStdString(e.what()));
        }
    });
}

void TAVConverter::DoComplete() {
    if (state_ == cvStopping)
        return;
    RunOnOwner([this] {
        try {
            emit OnComplete();
        } catch (const std::exception& e) {
            // The handler's failure is the run's last word: kept as its error, in the log.
            RecordEscapedError(std::string("the completion handler failed: ") + e.what());
        } catch (...) {
            RecordEscapedError("the completion handler failed");
        }
    });
}

void TAVConverter::DoStopped() {
    owner_calls_.Post([this] { emit OnStopped(); });
}

// The library's last line, when there is one, follows the message after a colon.
void TAVConverter::ShowLastError() {
    const std::string log = LastLog();
    const QString text = QString::fromStdString(log.empty() ? LastError() : LastError() + ":" + log);
    owner_calls_.Post([this, text] { PresentRunError(text); });
}

bool TAVConverter::HasVideoBufferHandler() const {
    return isSignalConnected(QMetaMethod::fromSignal(&TAVConverter::OnVideoBuffer));
}

void TAVConverter::DoVideoBuffer(TAVBitmap* bitmap, int64_t pts, bool& buffer_modified) {
    buffer_modified = false;
    bool modified = false;
    RunOnOwner([&] { emit OnVideoBuffer(bitmap, pts, &modified); });
    buffer_modified = modified;
}

} // namespace vc
