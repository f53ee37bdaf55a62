#pragma once
// The sound device for the preview. It is a module of its own so that programs that play no
// sound (vconv) do not load QtMultimedia and what it pulls in; a program that plays calls
// UseAudioDevice() once at start-up.
#include "engine/preview/renderers.h"

#include <memory>

namespace vc {

// The default output device playing 16-bit PCM; null without an application object, a device or
// a device that takes the format.
std::unique_ptr<AudioOutput> CreateDeviceAudioOutput(int sample_rate, int channels);

// From now on the preview's audio renderers play on the device when there is one.
void UseAudioDevice();

} // namespace vc
