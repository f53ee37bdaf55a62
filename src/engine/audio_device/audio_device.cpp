// The preview's sound device: QAudioSink on the default output, fed from a queue it pulls on a
// thread of its own, with a clock that follows what the device has played.
#include "engine/audio_device/audio_device.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

namespace vc {
namespace {

// The device's clock: the time of the byte it is playing. QAudioSink's processed time counts what
// the sound server has played (not what it has taken, which runs ahead by its buffer); it is read
// on the device's thread every few milliseconds and carried on by the monotonic clock in between.
// Should the played time stand still (a sound server that stopped taking data), the monotonic
// clock carries on alone, and when it moves again the clock goes on from where it got to: the
// picture never freezes, and the sound is kept to the clock from then on.
// The clock never goes backwards.
class DeviceClock final : public ReferenceClock {
public:
    RefTime Now() const override {
        std::lock_guard lock(mutex_);
        return NowLocked();
    }
    // Device thread: what the device has played (100 ns units) and whether it plays.
    void Update(RefTime played, bool running) {
        std::lock_guard lock(mutex_);
        const RefTime now = mono_.Now();
        if (played != played_) {
            played_ = played;
            changed_at_ = now;
            // Behind where the clock got to while the device stood still: go on from there.
            const RefTime at = base_ + offset_ + played_;
            if (at + kStall < last_returned_)
                offset_ += last_returned_ - at;
        }
        running_ = running;
    }
    // The clock time at which the device plays `position` (100 ns of its output since it started).
    RefTime TimeAt(RefTime position) const {
        std::lock_guard lock(mutex_);
        return base_ + offset_ + position;
    }

private:
    RefTime NowLocked() const {
        RefTime t = base_ + offset_ + played_;
        if (running_)
            t += mono_.Now() - changed_at_;
        last_returned_ = std::max(last_returned_, t);
        return last_returned_;
    }
    static constexpr RefTime kStall = kUnitsPerSecond / 10;
    MonotonicClock mono_;
    const RefTime base_ = MonotonicClock().Now();
    mutable std::mutex mutex_; // guards the fields below
    RefTime played_ = 0;
    RefTime offset_ = 0; // time the device stood still, added so the clock stays continuous
    RefTime changed_at_ = MonotonicClock().Now();
    bool running_ = false;
    mutable RefTime last_returned_ = 0;
};

// Bytes waiting for the device, each block with the clock time it is due at. The device pulls them
// on its own thread; a block is kept to its time: when the device would play it late its head is
// dropped, when early silence goes first. So sound and clock agree however much the device and the
// server buffer.
class PcmQueueDevice final : public QIODevice {
public:
    PcmQueueDevice(const DeviceClock* clock, int bytes_per_second, int bytes_per_frame)
        : clock_(clock), bytes_per_second_(bytes_per_second), bytes_per_frame_(bytes_per_frame) {}
    void Push(const uint8_t* data, int size, RefTime due) {
        std::lock_guard lock(mutex_);
        blocks_.push_back({std::vector<uint8_t>(data, data + size), 0, due});
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        blocks_.clear();
    }
    // Paused, the device gets silence and the blocks wait; resumed, they are due `shift` later.
    void Hold() {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    void Release(RefTime shift) {
        std::lock_guard lock(mutex_);
        held_ = false;
        for (Block& b : blocks_)
            b.due += shift;
    }
    // There is always something to play (silence when nothing is queued): a device that found
    // nothing available would stop asking, and its played time would stop with it.
    bool isSequential() const override { return true; }
    bool atEnd() const override { return false; }
    qint64 bytesAvailable() const override { return bytes_per_second_ + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 max) override {
        std::lock_guard lock(mutex_);
        max -= max % bytes_per_frame_;
        qint64 done = 0;
        // Differences below a few milliseconds are left alone.
        const RefTime tolerance = kUnitsPerSecond / 200;
        while (done < max && !blocks_.empty() && !held_) {
            Block& b = blocks_.front();
            const RefTime plays_at = clock_->TimeAt(BytesToTime(handed_ + done));
            const RefTime due = b.due + BytesToTime(static_cast<int64_t>(b.used));
            if (plays_at + tolerance < due) {
                // Early: silence up to its time.
                const qint64 n = std::min(max - done, TimeToBytes(due - plays_at));
                std::fill(data + done, data + done + n, 0);
                done += n;
                continue;
            }
            if (plays_at > due + tolerance) {
                // Late: skip what should already have sounded.
                const size_t skip =
                    std::min(b.bytes.size() - b.used, static_cast<size_t>(TimeToBytes(plays_at - due)));
                b.used += skip;
                if (b.used >= b.bytes.size())
                    blocks_.pop_front();
                continue;
            }
            const qint64 n = std::min<qint64>(max - done, static_cast<qint64>(b.bytes.size() - b.used));
            std::copy_n(b.bytes.begin() + static_cast<std::ptrdiff_t>(b.used), n, data + done);
            b.used += static_cast<size_t>(n);
            done += n;
            if (b.used >= b.bytes.size())
                blocks_.pop_front();
        }
        // Play silence over an underrun so the device keeps going.
        std::fill(data + done, data + max, 0);
        handed_ += max;
        return max;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    struct Block {
        std::vector<uint8_t> bytes;
        size_t used = 0;
        RefTime due = 0;
    };
    RefTime BytesToTime(int64_t bytes) const { return bytes * kUnitsPerSecond / bytes_per_second_; }
    qint64 TimeToBytes(RefTime t) const {
        const qint64 n = static_cast<qint64>(t * bytes_per_second_ / kUnitsPerSecond);
        return std::max<qint64>(bytes_per_frame_, n - n % bytes_per_frame_);
    }

    const DeviceClock* clock_;
    int bytes_per_second_;
    int bytes_per_frame_;
    mutable std::mutex mutex_; // guards blocks_ and handed_
    std::deque<Block> blocks_;
    int64_t handed_ = 0; // bytes given to the device since it started
    bool held_ = false;
};

// QAudioSink pulls from the queue on a thread of its own with an event loop; a timer there reads
// how far the device has played.
class QtAudioOutput final : public AudioOutput {
public:
    QtAudioOutput(const QAudioDevice& device, const QAudioFormat& format)
        : queue_(&clock_, format.bytesForDuration(1000000), format.bytesPerFrame()) {
        thread_.setObjectName("preview-audio-out");
        context_.moveToThread(&thread_);
        queue_.moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(
            &context_,
            [&] {
                sink_ = new QAudioSink(device, format);
                poll_ = new QTimer;
                poll_->setTimerType(Qt::PreciseTimer);
                poll_->setInterval(5);
                QObject::connect(poll_, &QTimer::timeout, [this] { Poll(); });
                queue_.open(QIODevice::ReadOnly);
                // Pushed by our own timer rather than pulled: pulled, the sink now and then stopped
                // asking after its first buffer, and its played time stopped with it.
                device_ = sink_->start();
                ok_ = sink_->error() == QAudio::NoError && device_;
                poll_->start();
                Poll();
            },
            Qt::BlockingQueuedConnection);
    }
    ~QtAudioOutput() override {
        QMetaObject::invokeMethod(
            &context_,
            [&] {
                delete poll_;
                sink_->stop();
                delete sink_;
            },
            Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    bool Ok() const { return ok_; }
    bool IsDevice() const override { return true; }
    // The device itself is never suspended: a suspended sink may drop what it holds and restart
    // its played time, which would part the clock from the bytes. Paused, it plays silence.
    void Start(RefTime due_shift) override { queue_.Release(due_shift); }
    void Suspend() override { queue_.Hold(); }
    void Write(const uint8_t* data, int size, RefTime due) override { queue_.Push(data, size, due); }
    void Reset() override { queue_.Clear(); }
    const ReferenceClock& Clock() const override { return clock_; }

private:
    // Device thread.
    void Poll() {
        if (device_) {
            const qint64 free = sink_->bytesFree();
            if (free > 0) {
                feed_.resize(static_cast<size_t>(free));
                const qint64 n = queue_.read(feed_.data(), free);
                if (n > 0)
                    device_->write(feed_.data(), n);
            }
        }
        clock_.Update(sink_->processedUSecs() * 10,
                      sink_->state() == QAudio::ActiveState || sink_->state() == QAudio::IdleState);
    }

    struct Context : QObject {};
    QThread thread_;
    Context context_;
    DeviceClock clock_;
    PcmQueueDevice queue_;
    QAudioSink* sink_ = nullptr;  // lives on thread_
    QTimer* poll_ = nullptr;      // lives on thread_
    QIODevice* device_ = nullptr; // the sink's, written on thread_
    std::vector<char> feed_;      // thread_ only
    bool ok_ = false;             // written before the constructor returns
};

} // namespace

std::unique_ptr<AudioOutput> CreateDeviceAudioOutput(int sample_rate, int channels) {
    // QtMultimedia needs an application object; without one, or without a device, there is none.
    if (!QCoreApplication::instance() || sample_rate <= 0 || channels <= 0)
        return nullptr;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    QAudioFormat format;
    format.setSampleRate(sample_rate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return nullptr;
    auto out = std::make_unique<QtAudioOutput>(device, format);
    if (!out->Ok())
        return nullptr;
    return out;
}

void UseAudioDevice() {
    SetAudioDeviceFactory(&CreateDeviceAudioOutput);
}

} // namespace vc
