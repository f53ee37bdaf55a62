// Audio outputs of the preview: the silent sink clocked by the monotonic clock, or the sound
// device of a program that registered one (see engine/audio_device).
#include "engine/preview/renderers.h"

#include <atomic>

namespace vc {
namespace {

class SilentAudioOutput final : public AudioOutput {
public:
    bool IsDevice() const override { return false; }
    void Start(RefTime) override {}
    void Suspend() override {}
    void Write(const uint8_t*, int, RefTime) override {}
    void Reset() override {}
    const ReferenceClock& Clock() const override { return clock_; }

private:
    MonotonicClock clock_;
};

std::atomic<AudioDeviceFactory> g_device_factory{nullptr};

} // namespace

void SetAudioDeviceFactory(AudioDeviceFactory factory) {
    g_device_factory.store(factory);
}

std::unique_ptr<AudioOutput> CreateAudioOutput(int sample_rate, int channels) {
    if (const AudioDeviceFactory device = g_device_factory.load())
        if (auto out = device(sample_rate, channels))
            return out;
    return std::make_unique<SilentAudioOutput>();
}

} // namespace vc
