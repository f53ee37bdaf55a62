#pragma once
// TAVConverter: one conversion, run on a worker thread of its own.
//
// Threads: the owner thread (the one that created the converter, normally the main thread) sets
// the inputs, outputs and options, calls Start/Pause/Resume/Stop and reads the properties. The
// worker thread "Converting ..." runs the conversion. OnLog is emitted on the thread that logged
// (the worker, or a codec's own thread). The other events run on the owner thread, through its
// event loop or, for an owner without one, inside WaitForIdle() (see owner_calls.h), in the order
// the worker raised them:
//  - OnComplete and OnVideoBuffer (when a handler is connected) while the worker waits: their
//    handlers must be done before the run goes on;
//  - OnProgress, OnStopped, OnError and OnRunError without the worker waiting. OnProgress is
//    coalesced: at most one is on its way, at most about ten a second; the figures themselves
//    are atomics the owner may read at any time (a timer is the usual reader).
// The worker never opens a message box: an error is recorded on the run (LastError, the log) and
// raised as OnRunError on the owner thread for the front end to present.
// Never delete a converter from inside one of its handlers; use deleteLater().
//
// Conversions in one process run in parallel: FFmpeg 5.1 needs no lock around decoding,
// encoding, filtering or packet allocation of separate contexts, and each run has its own. The
// library's state shared by all runs is set up once (device registration, the log callback, both
// under std::call_once); the log callback must be thread-safe (libavutil/log.h) and is: it only
// reads the routing tables under their own lock (log_routing.h).
#include "engine/converter/owner_calls.h"
#include "engine/media/av_bitmap.h"
#include "engine/media/log_routing.h"
#include "engine/options/convert_options.h"
#include "platform/thread_sem.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vc {

class ConversionEngine;
struct EngineMemory;

class TAVConverter : public QObject, public LibraryLogTarget {
    Q_OBJECT
    Q_PROPERTY(vc::TAVConvertOptions* ConvertOptions READ ConvertOptions WRITE SetConvertOptions)
    Q_PROPERTY(QStringList InputFiles READ InputFiles WRITE SetInputFiles)
    Q_PROPERTY(QStringList OutputFiles READ OutputFiles WRITE SetOutputFiles)
    Q_PROPERTY(double ConvertedDuration READ ConvertedDuration WRITE SetConvertedDuration)
    Q_PROPERTY(int Progress READ Progress)
    Q_PROPERTY(double Duration READ Duration WRITE SetDuration)
    Q_PROPERTY(double Bitrate READ Bitrate WRITE SetBitrate)
    Q_PROPERTY(qint64 StartTime READ StartTime)
    Q_PROPERTY(qint64 LastTime READ LastTime)

public:
    enum TAVConverterState : uint8_t {
        cvIdle = 0,
        cvRunning = 1,
        cvStopping = 2,
        cvPaused = 3,
        cvWaiting = 4
    };
    Q_ENUM(TAVConverterState)

    explicit TAVConverter(QObject* parent = nullptr);
    // Stops a running conversion and waits for its worker (running owner calls meanwhile).
    ~TAVConverter() override;
    TAVConverter(const TAVConverter&) = delete;
    TAVConverter& operator=(const TAVConverter&) = delete;

    // --- published -----------------------------------------------------------------------
    TAVConvertOptions* ConvertOptions() const { return convert_options_; }
    void SetConvertOptions(const TAVConvertOptions* v) { convert_options_->Assign(v); }
    QStringList InputFiles() const { return input_files_; }
    void SetInputFiles(const QStringList& v) { input_files_ = v; }
    QStringList OutputFiles() const { return output_files_; }
    void SetOutputFiles(const QStringList& v) { output_files_ = v; }
    double ConvertedDuration() const { return converted_duration_; } // seconds of output
    void SetConvertedDuration(double v) { converted_duration_ = v; }
    int Progress() const;                         // whole percent, computed on every read
    double Duration() const { return duration_; } // seconds, of the input
    void SetDuration(double v) { duration_ = v; }
    double Bitrate() const { return bitrate_; } // kbit/s of the output so far
    void SetBitrate(double v) { bitrate_ = v; }
    qint64 StartTime() const { return start_time_; } // clock (µs) when the packet loop began
    qint64 LastTime() const { return last_time_; }   // clock (µs) of the last size report

    // --- run control (owner thread) -------------------------------------------------------
    // Starts a conversion of InputFiles into OutputFiles on a new worker thread and returns at
    // once. `sem` (may be null, not owned, must outlive the run) bounds how many conversions
    // transcode at once. Throws vc::Error when a conversion of this converter is still running.
    void Start(TSemaphore* sem = nullptr);
    // A running conversion pauses and gives its slot back.
    void Pause();
    // A paused conversion goes on once it has a slot again.
    void Resume();
    // Ends a running, paused or slot-waiting conversion; its outputs are finished as at a
    // normal end.
    void Stop();
    TAVConverterState State() const { return state_.load(); }
    // Owner thread: runs owner calls until the worker has ended or `timeout_ms` passed
    // (negative: no limit). True when no worker is left.
    bool WaitForIdle(int timeout_ms = -1);
    bool IsBusy() const { return busy_.load(); }
    // Whether each encoder runs on a thread of its own, fed by the filters through a bounded queue
    // (the default), or on the run's thread after the filters. Both write the same frames; a
    // change takes effect at the next Start.
    void SetEncoderThreads(bool on) { encoder_threads_ = on; }
    bool EncoderThreads() const { return encoder_threads_.load(); }

    int64_t ElapsedSeconds() const;
    int64_t RemainingSeconds() const;
    int64_t InputSize() const { return input_size_; }   // bytes of the first input
    int64_t OutputSize() const { return output_size_; } // bytes written to the first output
    // Pictures encoded for the first video output so far, with the size report (0 without video).
    int64_t VideoFrames() const { return video_frames_; }
    std::string LastLog() const;
    std::string LastError() const;

    // Library lines above this level are not forwarded (24 = warnings and worse).
    std::atomic<int> LogLevel{24};

    // --- LibraryLogTarget (any thread) ---------------------------------------------------
    int LibraryLogLevel() const override { return LogLevel.load(); }
    void LibraryLogLine(int level, const std::string& text) override;
    // Worker thread: an error the run goes on after (logged, and raised as OnRunError).
    void RunError(const std::string& text) override;

signals:
    void OnLog(int level, const QString& log);
    void OnProgress();
    void OnComplete();
    void OnStopped();
    // A run that failed before transcoding began (unreadable input, unknown format, bad stream
    // map, unwritable output): the message; neither OnComplete nor OnStopped follows.
    void OnError(const QString& message);
    // An error for the user: the one that ended the run (before or during transcoding: LastError
    // and the library's last line, as "error:line"), or one the run went on after (also in the
    // log). The front end presents it; without a handler it goes to the message sink (on the
    // owner thread).
    void OnRunError(const QString& message);
    void OnVideoBuffer(vc::TAVBitmap* bitmap, qint64 pts, bool* buffer_modified);

protected:
    // The transcoding proper; errors inside it end the run through the error box and OnComplete.
    // An output file that cannot be opened escapes as OutputOpenError (the run ends with OnError).
    virtual void Transcode();
    virtual void DoLog(int level, const std::string& text);
    virtual void DoStopped();
    virtual void ShowLastError();
    virtual void DoVideoBuffer(TAVBitmap* bitmap, int64_t pts, bool& buffer_modified);
    virtual void DoComplete();
    void DoProgress();

private:
    friend class ConversionEngine;
    friend class FramePathsImpl;

    void ThreadMain(std::vector<std::string> inputs, std::vector<std::string> outputs);
    void Run(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);
    void FailBeforeTranscode(const std::string& message);
    void FinishRun();

    // Worker side of the slot bookkeeping. AcquireSlotForStart moves cvIdle to cvWaiting and
    // then cvRunning; false when Stop came first. ReacquireSlotAfterResume waits for a unit for
    // a resumed run; false when the run was paused or stopped again meanwhile.
    bool AcquireSlotForStart();
    bool ReacquireSlotAfterResume();
    // Worker: blocks while paused; returns the state that ended the pause.
    TAVConverterState WaitWhilePaused();
    void ReleaseHeldSlot();
    // Worker: records an exception that escaped the run or an event handler as its error.
    void RecordEscapedError(const std::string& what);
    // Owner: OnRunError, or the message sink when nobody handles it.
    void PresentRunError(const QString& message);
    bool HasVideoBufferHandler() const;
    void RunOnOwner(const std::function<void()>& call);

    TAVConvertOptions* convert_options_; // owned (child); owner thread; copied for each run
    QStringList input_files_;            // owner thread; copied for each run
    QStringList output_files_;           // owner thread; copied for each run

    // Written by the worker, read by the owner: atomics.
    std::atomic<double> converted_duration_{0};
    std::atomic<double> duration_{0};
    std::atomic<double> bitrate_{0};
    std::atomic<int64_t> start_time_{0};
    std::atomic<int64_t> last_time_{0};
    std::atomic<int64_t> input_size_{0};
    std::atomic<int64_t> output_size_{0};
    std::atomic<int64_t> video_frames_{0};
    // The run's own start position and length, read by Progress (the run copy of the options
    // belongs to the worker).
    std::atomic<int64_t> run_start_us_{0};
    std::atomic<int64_t> run_recording_us_{INT64_MAX};

    mutable std::mutex text_mutex_; // guards last_log_, last_error_
    std::string last_log_;
    std::string last_error_;

    // State transitions and slot bookkeeping. state_ is atomic so the worker can poll it;
    // control_mutex_ makes each transition together with its slot release one step.
    std::atomic<TAVConverterState> state_{cvIdle};
    std::mutex control_mutex_;              // guards slots_, holds_slot_, and state changes
    std::condition_variable state_changed_; // with control_mutex_: wakes a paused worker
    TSemaphore* slots_ = nullptr;           // the semaphore given to Start; forgotten by Stop while paused
    bool holds_slot_ = false;               // the worker holds one unit of slots_

    std::atomic<bool> busy_{false};            // a worker thread exists and has not ended
    std::thread worker_;                       // owner thread only
    TAVConvertOptions* run_options_ = nullptr; // worker only: this run's copy of the options
    std::atomic<bool> encoder_threads_{true};
    std::unique_ptr<EngineMemory> memory_;     // worker during a run; values kept between runs
    std::unique_ptr<ConversionEngine> engine_; // worker only, during a run
    OwnerCalls owner_calls_;
    // One OnProgress on its way at most; set by the worker, cleared by the owner as it emits.
    std::atomic<bool> progress_posted_{false};
    int64_t last_progress_post_us_ = 0; // worker only: when the last OnProgress was posted
};

} // namespace vc
