// Converting DVD titles the way the wizard asks for them: a registered TDvdStream under its
// "stream:" name as the converter's input.
#include "engine/converter/converter.h"
#include "engine/dvd/dvd_stream.h"
#include "engine/streams/stream_source.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace vc {
namespace {

std::filesystem::path Dvd(const std::string& name) {
    return test::MediaDir() / "dvd" / name;
}

// Runs a stream-copy conversion of `input` to `output`; returns the error boxes shown.
std::vector<std::string> CopyConvert(const std::string& input, const std::filesystem::path& output) {
    test::RecordingMessageSink sink;
    TAVConverter converter;
    converter.ConvertOptions()->VideoOptions()->SetVideoStreamCopy(true);
    converter.ConvertOptions()->AudioOptions()->SetAudioStreamCopy(true);
    converter.SetInputFiles({QString::fromStdString(input)});
    converter.SetOutputFiles({QString::fromStdString(output.string())});
    converter.Start();
    EXPECT_TRUE(converter.WaitForIdle(60000));
    return sink.Texts();
}

// Seconds of video in a file, counted from its decoded frames (25 fps), or -1 when it does not
// decode. DVD audio is muxed ahead of the pictures, so the container's duration is longer.
double VideoSeconds(const std::filesystem::path& file) {
    const auto r = test::RunProcess(
        "ffmpeg", {"-nostdin", "-v", "error", "-i", file.string(), "-map", "0:v", "-f", "null", "-"});
    if (r.exit_code != 0)
        return -1;
    const std::string frames = test::Ffprobe(
        file, {"-select_streams", "v", "-count_frames", "-show_entries", "stream=nb_read_frames"});
    return frames.empty() ? -1 : std::stod(frames) / 25.0;
}

double FirstPicturePsnr(const std::filesystem::path& file, int source_frame) {
    const auto r =
        test::RunProcess("ffmpeg", {"-nostdin", "-hide_banner", "-i", file.string(), "-i",
                                    Dvd("disc/VIDEO_TS/VTS_01_1.VOB").string(), "-filter_complex",
                                    "[0:v]trim=end_frame=1,setpts=PTS-STARTPTS[a];[1:v]select=eq(n\\," +
                                        std::to_string(source_frame) + "),setpts=PTS-STARTPTS[b];[a][b]psnr",
                                    "-f", "null", "-"});
    const auto at = r.err.find("average:");
    if (at == std::string::npos)
        return -1;
    const std::string value = r.err.substr(at + 8, r.err.find_first_of(" \n", at + 8) - at - 8);
    return value == "inf" ? 1000 : std::stod(value);
}

TEST(DvdConvert, ChaptersTwoToThreeCopyToAFileThatMatchesTheChapterMarks) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    auto dvd = std::make_shared<TDvdStream>(Dvd("disc.iso").string(), 1, 1, 2, 3);
    TStreamRegistration reg(dvd);
    test::TempDir dir;
    const auto out = dir / "TESTDVD_1.mpg";
    const auto errors = CopyConvert(reg.Url(), out);
    ASSERT_TRUE(errors.empty()) << errors.front();
    // Chapter 2 starts at 4.8 s (frame 120) and chapter 4 at 15.0 s.
    EXPECT_NEAR(VideoSeconds(out), 10.2, 0.5);
    EXPECT_GE(FirstPicturePsnr(out, 120), 35.0);
    EXPECT_EQ(test::Ffprobe(out, {"-select_streams", "v", "-show_entries", "stream=codec_name"})
                  .rfind("mpeg2video", 0),
              0u);
}

TEST(DvdConvert, AWholeTitleAndATruncatedOneBothGiveValidFiles) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    struct Case {
        std::string drive;
        double min_s, max_s;
    } cases[] = {{"disc", 24.5, 25.5}, {"damaged_vob", 5.0, 25.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.drive);
        auto dvd = std::make_shared<TDvdStream>(Dvd(c.drive).string(), 1, 1, 1, 5);
        TStreamRegistration reg(dvd);
        test::TempDir dir;
        const auto out = dir / "title.mkv";
        const auto errors = CopyConvert(reg.Url() + ".vob", out);
        ASSERT_TRUE(errors.empty()) << errors.front();
        const double duration = VideoSeconds(out);
        EXPECT_GE(duration, c.min_s);
        EXPECT_LE(duration, c.max_s);
    }
}

TEST(DvdConvert, AStreamNameThatIsNoLongerRegisteredFailsWithAMessage) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    std::string url;
    {
        TStreamRegistration reg(std::make_shared<TDvdStream>(Dvd("disc").string(), 2, 1, 1, 1));
        url = reg.Url();
    }
    test::TempDir dir;
    test::RecordingMessageSink sink;
    TAVConverter converter;
    QString error;
    QObject::connect(&converter, &TAVConverter::OnError, [&](const QString& m) { error = m; });
    converter.SetInputFiles({QString::fromStdString(url)});
    converter.SetOutputFiles({QString::fromStdString((dir / "x.mkv").string())});
    converter.Start();
    ASSERT_TRUE(converter.WaitForIdle(30000));
    const std::string all = error.toStdString() + " " + converter.LastError();
    EXPECT_NE(all.find(url), std::string::npos) << all;
    EXPECT_FALSE(std::filesystem::exists(dir / "x.mkv") && std::filesystem::file_size(dir / "x.mkv") > 0);
}

} // namespace
} // namespace vc
