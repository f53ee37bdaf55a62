// Marks set in the preview trim the conversion: the output starts with the picture the preview
// showed at the start mark, and its sound stays with its pictures. Judged by the ffmpeg tools on
// the flash-and-beep clip (a white picture and a beep at every whole second).
#include "engine/converter/converter.h"
#include "gui/preview/frame_preview.h"
#include "gui/preview/preview_trimming.h"
#include "support/gui_test.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>
#include <sstream>

namespace vc::test {
namespace {

using gui::ApplyPreviewTrimming;
using gui::TFramePreview;

// The PSNR of the first picture of `a` against the picture of `b` at `b_seconds`.
double FirstPicturePsnr(const std::filesystem::path& a, const std::filesystem::path& b, double b_seconds) {
    const ProcessResult r = RunProcess(
        "ffmpeg",
        {"-nostdin", "-v", "info", "-i", a.string(), "-ss", std::to_string(b_seconds), "-i", b.string(),
         "-filter_complex",
         "[0:v]trim=end_frame=1,setpts=PTS-STARTPTS[x];[1:v]trim=end_frame=1,setpts=PTS-STARTPTS[y];"
         "[x][y]psnr",
         "-f", "null", "-"});
    std::smatch m;
    static const std::regex average("average:([0-9.]+|inf)");
    if (!std::regex_search(r.err, m, average))
        return -1;
    return m[1] == "inf" ? std::numeric_limits<double>::infinity() : std::stod(m[1]);
}

// Times (s) of the white pictures of a file.
std::vector<double> FlashTimes(const std::filesystem::path& file) {
    const ProcessResult r = RunProcess(
        "ffprobe", {"-v", "error", "-f", "lavfi", "-i", "movie=" + file.string() + ",signalstats",
                    "-show_entries", "frame=pts_time:frame_tags=lavfi.signalstats.YAVG", "-of", "csv=p=0"});
    std::vector<double> times;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        const auto comma = line.find(',');
        if (comma != std::string::npos && std::stod(line.substr(comma + 1)) > 200)
            times.push_back(std::stod(line.substr(0, comma)));
    }
    return times;
}

// Times (s) at which the beeps of a file's sound start.
std::vector<double> BeepTimes(const std::filesystem::path& file) {
    const ProcessResult r = RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", file.string(), "-map",
                                                  "0:a", "-ac", "1", "-ar", "48000", "-f", "s16le", "-"});
    std::vector<double> times;
    const auto* samples = reinterpret_cast<const int16_t*>(r.out.data());
    const size_t n = r.out.size() / 2;
    size_t quiet_since = 0;
    for (size_t i = 0; i < n; ++i) {
        if (std::abs(samples[i]) > 3000) {
            if (i - quiet_since > 48000 / 5 || (times.empty() && i < 48000 / 5))
                times.push_back(static_cast<double>(i) / 48000);
            quiet_since = i;
        }
    }
    return times;
}

TEST(PreviewTrimming, TheConversionStartsAtTheStartMarkWithItsSoundInStep) {
    RecordingMessageSink sink;
    TFramePreview frame;
    frame.show();
    QSignalSpy opened(&frame, &TFramePreview::Opened);
    const auto source = Media("flash_beep.mp4");
    frame.OpenVideoFile(QString::fromStdString(source.string()));
    ASSERT_TRUE(RunEventsUntil([&] { return !opened.isEmpty(); }));
    ASSERT_TRUE(opened.first().first().toBool());
    frame.Pause();
    frame.SeekTo(10 * kUnitsPerSecond);
    frame.SetStartAction()->trigger();
    frame.SeekTo(13 * kUnitsPerSecond);
    frame.SetEndAction()->trigger();
    frame.StopVideo();

    TempDir dir;
    const auto out = dir / "part.mkv";
    TAVConverter converter;
    TAVConvertOptions& options = *converter.ConvertOptions();
    // Lossless, so the judgement is about which picture comes first, not about the encoder.
    options.VideoOptions()->SetEncoderVideoCodecName("ffv1");
    options.AudioOptions()->SetEncoderAudioCodecName("pcm_s16le");
    ApplyPreviewTrimming(options, frame.StartMarkUs(), frame.EndMarkUs(),
                         std::numeric_limits<int64_t>::max());
    EXPECT_EQ(options.StartTime(), 10000000);
    EXPECT_EQ(options.RecordingTime(), 3000000);
    converter.SetInputFiles({QString::fromStdString(source.string())});
    converter.SetOutputFiles({QString::fromStdString(out.string())});
    converter.Start(nullptr);
    ASSERT_TRUE(converter.WaitForIdle(120000));
    ASSERT_TRUE(DecodesCleanly(out));

    EXPECT_GE(FirstPicturePsnr(out, source, 10.0), 40.0);
    // The neighbours are different pictures: the check above can tell them apart.
    EXPECT_LT(FirstPicturePsnr(out, source, 10.04), 40.0);
    EXPECT_NEAR(ProbeDuration(out), 3.0, 0.1);

    // The pictures and the beeps, measured from the first picture: flashes a second apart, each
    // beep with its flash. The sound may run into the next beep by less than an audio frame.
    const auto flashes = FlashTimes(out);
    const auto beeps = BeepTimes(out);
    ASSERT_EQ(flashes.size(), 3u);
    ASSERT_GE(beeps.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(flashes[i] - flashes[0], static_cast<double>(i), 0.001) << "flash " << i;
        EXPECT_NEAR(beeps[i], flashes[i], 0.021) << "beep " << i;
    }
    for (size_t i = 3; i < beeps.size(); ++i)
        EXPECT_GT(beeps[i] - flashes[0], 2.97) << "beep " << i;
    EXPECT_TRUE(sink.Messages().empty());
}

} // namespace
} // namespace vc::test
