#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

namespace vc {
namespace {

test::ProcessResult Vconv(const std::vector<std::string>& args) {
    return test::RunProcess(test::VconvPath().string(), args);
}

TEST(VconvProbe, DescribesAFileAsTextOrJson) {
    auto text = Vconv({"probe", test::Media("h264_aac.mp4").string()});
    ASSERT_EQ(text.exit_code, 0) << text.err;
    EXPECT_NE(text.out.find("Video: h264, 320x240, 25.00 fps"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Audio: aac, 44100 Hz, 2 channels"), std::string::npos) << text.out;

    auto json = Vconv({"probe", test::Media("audio.wav").string(), "--json"});
    ASSERT_EQ(json.exit_code, 0) << json.err;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_FALSE(o["hasVideo"].toBool());
    EXPECT_TRUE(o["hasAudio"].toBool());
    EXPECT_EQ(o["audioCodec"].toString(), "pcm_s16le");
    EXPECT_EQ(o["audioBitrate"].toInt(), 1411200);
    EXPECT_EQ(o["channels"].toInt(), 2);
}

TEST(VconvProbe, RejectedFilesExitWithTheReason) {
    struct Case {
        std::vector<std::string> args;
        int exit_code;
        std::string message;
    } cases[] = {
        {{"probe", test::Media("garbage.mp4").string()},
         1,
         "Error Opening File " + test::Media("garbage.mp4").string() +
             ": Invalid data found when processing input\n"},
        {{"probe", test::Media("subs.srt").string()},
         1,
         "Invalid Video/Audio File: " + test::Media("subs.srt").string() + ": no video or audio stream\n"},
        {{"probe", test::Media("").string()},
         1,
         "Error Opening File " + test::Media("").string() + ": Is a directory\n"},
        {{"probe", "/nonexistent/clip.mp4"},
         1,
         "Invalid Video/Audio File: /nonexistent/clip.mp4: No such file or directory\n"},
        {{"probe"}, 2, "vconv probe: expected one FILE"},
        {{"probe", "a.mp4", "--bogus"}, 2, "vconv probe: Unknown option 'bogus'."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        auto r = Vconv(c.args);
        EXPECT_EQ(r.exit_code, c.exit_code);
        EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
} // namespace vc
