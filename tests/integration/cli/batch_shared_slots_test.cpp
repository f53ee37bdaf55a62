// vconv batch: one task per file, the request as stored, and two batches at once sharing one
// slot pool and one store.
#include "tasks_cli_fixture.h"

#include "model/settings/conversion_settings.h"
#include "model/settings/thread_counts.h"
#include "store/persistent_manager.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTime>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace vc::test {
namespace {

struct Interval {
    int process;
    int begin_ms;
    int end_ms;
};

// The "running" spans of the status lines ("hh:mm:ss.zzz  #ID  NAME  STATUS").
std::vector<Interval> RunningSpans(int process, const QString& err) {
    static const QRegularExpression line(
        QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d)  #(\\d+)  .*  (\\w+)$"),
        QRegularExpression::MultilineOption);
    std::map<int, int> started;
    std::vector<Interval> spans;
    for (auto it = line.globalMatch(err); it.hasNext();) {
        const auto m = it.next();
        const int ms = QTime::fromString(m.captured(1), "hh:mm:ss.zzz").msecsSinceStartOfDay();
        const int id = m.captured(2).toInt();
        if (m.captured(3) == "running") {
            started[id] = ms;
        } else if (auto s = started.find(id); s != started.end()) {
            spans.push_back({process, s->second, ms});
            started.erase(s);
        }
    }
    return spans;
}

TEST_F(TaskCliTest, ABatchMakesOneTaskPerFileAndStoresTheWholeRequestWithTheFirst) {
    const auto out = dir_ / "out";
    const ProcessResult r = Vconv({"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4",
                                   "-o", out.string(), "-q", Media("h264_aac.mp4").string(),
                                   Media("odd_size.mp4").string(), Media("audio.mp3").string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (const char* name : {"h264_aac.mp4", "odd_size.mp4", "audio.mp4"})
        EXPECT_TRUE(DecodesCleanly(out / name)) << name;
    auto db = OpenStore();
    auto& rows = db->Prepare("SELECT ConvertSettings FROM Conversions ORDER BY ID");
    rows.Reset();
    std::vector<QString> settings;
    while (rows.Step())
        settings.push_back(rows.Text("ConvertSettings"));
    ASSERT_EQ(settings.size(), 3u);
    EXPECT_TRUE(settings[0].contains("<SourceFiles Count=\"3\">")) << settings[0].toStdString();
    EXPECT_TRUE(settings[1].contains("<SourceFiles Count=\"2\">"));
    EXPECT_TRUE(settings[2].contains("<SourceFiles Count=\"1\">"));
    EXPECT_TRUE(settings[2].contains("audio.mp4</TargetFile>")) << settings[2].toStdString();
    // Threads: the configured count, else the processors shared among the tasks that run at once.
    auto threads = [](const QString& xml) {
        TConversionSettings stored;
        TPersistentManager::ReadConvertSettings(stored, xml);
        return stored.ConvertOptions()->ThreadCount();
    };
    EXPECT_EQ(threads(settings[0]),
              BatchThreadCount(0, QThread::idealThreadCount(), 3,
                               SlotsAtOnce(qEnvironmentVariableIntValue("VCONV_SLOTS"))));
    ASSERT_EQ(Vconv({"config", "set", "PerformanceOptions.ThreadCount=5"}).exit_code, 0);
    ASSERT_EQ(Vconv({"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "-o",
                     (dir_ / "out5").string(), "-q", Media("audio.mp3").string()})
                  .exit_code,
              0);
    rows.Reset();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(rows.Step());
    EXPECT_EQ(threads(rows.Text("ConvertSettings")), 5);

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"batch", "-o", out.string(), Media("audio.mp3").string()},
             {"batch", "--profile", "No such profile", "-o", out.string(), Media("audio.mp3").string()},
             {"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "-o", out.string()},
             {"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "--category", "42",
              Media("audio.mp3").string()},
             // one output for two sources
             {"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "-o",
              (dir_ / "dup").string(), Media("audio.mp3").string(), Media("audio.wav").string()}})
        EXPECT_EQ(Vconv(args).exit_code, 2) << args.back();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "dup" / "audio.mp4"));
    EXPECT_EQ(Vconv({"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "-o",
                     out.string(), (dir_ / "nope.avi").string()})
                  .exit_code,
              1);
}

TEST_F(TaskCliTest, TwoBatchesAtOnceShareTheSlotsAndTheStore) {
    SetSlots(1);
    const auto clip = MakeClip("a1.mp4", 8);
    for (const char* copy : {"a2.mp4", "b1.mp4", "b2.mp4"})
        std::filesystem::copy_file(clip, dir_ / copy);
    auto start = [&](QProcess& p, const char* first, const char* second, const char* folder) {
        p.start(QString::fromStdString(VconvPath().string()),
                {"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "-o",
                 QString::fromStdString((dir_ / folder).string()),
                 QString::fromStdString((dir_ / first).string()),
                 QString::fromStdString((dir_ / second).string())});
    };
    QProcess one, two;
    start(one, "a1.mp4", "a2.mp4", "out_a");
    start(two, "b1.mp4", "b2.mp4", "out_b");
    ASSERT_TRUE(one.waitForFinished(120000));
    ASSERT_TRUE(two.waitForFinished(120000));
    const QString err_one = one.readAllStandardError();
    const QString err_two = two.readAllStandardError();
    EXPECT_EQ(one.exitCode(), 0) << err_one.toStdString();
    EXPECT_EQ(two.exitCode(), 0) << err_two.toStdString();
    EXPECT_FALSE(err_one.contains("locked") || err_two.contains("locked"));

    // One slot: no two spans overlap beyond the status lines' own lag.
    std::vector<Interval> spans = RunningSpans(1, err_one);
    const std::vector<Interval> other = RunningSpans(2, err_two);
    spans.insert(spans.end(), other.begin(), other.end());
    ASSERT_EQ(spans.size(), 4u) << err_one.toStdString() << err_two.toStdString();
    for (size_t i = 0; i < spans.size(); ++i)
        for (size_t j = i + 1; j < spans.size(); ++j) {
            const int overlap =
                std::min(spans[i].end_ms, spans[j].end_ms) - std::max(spans[i].begin_ms, spans[j].begin_ms);
            EXPECT_LT(overlap, 150) << "spans " << i << " and " << j << "\n"
                                    << err_one.toStdString() << err_two.toStdString();
        }
    EXPECT_EQ(NamedSemaphoreValue(pool_), 1);

    auto db = OpenStore();
    EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions"), 4);
    for (const char* target : {"out_a/a1.mp4", "out_a/a2.mp4", "out_b/b1.mp4", "out_b/b2.mp4"}) {
        EXPECT_EQ(Count(*db, "SELECT ID FROM Conversions WHERE Converting = 0 AND ConvertSettings LIKE '%" +
                                 (dir_ / target).string() + "</TargetFile>%'"),
                  1)
            << target;
        EXPECT_TRUE(DecodesCleanly(dir_ / target)) << target;
    }
}

// An image-sequence profile through tasks: each file becomes its own numbered pictures, named
// after it, and the task keeps the first picture's name as its output.
TEST_F(TaskCliTest, ABatchWithAnImageSequenceProfileWritesANumberedSequencePerFile) {
    const auto out = dir_ / "pictures";
    std::filesystem::create_directories(out);
    std::ofstream(out / "h264_aac1.jpg") << "an earlier picture, replaced when the run ends well";
    const ProcessResult r = Vconv({"batch", "--profile", "JPEG Sequence", "-o", out.string(), "-q",
                                   Media("h264_aac.mp4").string(), Media("odd_size.mp4").string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    for (const std::string stem : {"h264_aac", "odd_size"}) {
        ASSERT_TRUE(std::filesystem::exists(out / (stem + "1.jpg"))) << stem;
        ASSERT_TRUE(std::filesystem::exists(out / (stem + "2.jpg"))) << stem << ": one picture only";
        const ProcessResult decoded =
            RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", (out / (stem + "%d.jpg")).string(), "-f",
                                  "null", "-"});
        EXPECT_EQ(decoded.exit_code, 0) << decoded.err;
        EXPECT_EQ(decoded.err, "") << stem;
        EXPECT_EQ(Ffprobe(out / (stem + "1.jpg"), {"-show_entries", "stream=codec_name"}), "mjpeg\n");
    }
    for (const auto& e : std::filesystem::directory_iterator(out))
        EXPECT_EQ(e.path().filename().string().find(".vconv-part"), std::string::npos) << e.path();
    const ProcessResult history = Vconv({"history"});
    EXPECT_NE(history.out.find("h264_aac1.jpg"), std::string::npos) << history.out;
}

} // namespace
} // namespace vc::test
