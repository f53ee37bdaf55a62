// Without a sound device the audio output is a silent sink whose clock still runs, also when a
// program asked for the device.
#include "engine/audio_device/audio_device.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>

#include <gtest/gtest.h>

#include <thread>

namespace vc {
namespace {

TEST(AudioOutput, FallsBackToASilentRunningClockWithoutADevice) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    if (!QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "this machine has a sound device";
    EXPECT_EQ(CreateDeviceAudioOutput(44100, 2), nullptr);
    UseAudioDevice();
    auto out = CreateAudioOutput(44100, 2);
    ASSERT_TRUE(out);
    EXPECT_FALSE(out->IsDevice());
    const std::vector<uint8_t> pcm(4096, 0);
    out->Start(0);
    out->Write(pcm.data(), static_cast<int>(pcm.size()), out->Clock().Now());
    const RefTime before = out->Clock().Now();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const RefTime elapsed = out->Clock().Now() - before;
    EXPECT_GE(elapsed, 20 * kUnitsPerSecond / 1000);
    EXPECT_LT(elapsed, kUnitsPerSecond);
}

} // namespace
} // namespace vc
