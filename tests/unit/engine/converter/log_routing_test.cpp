// Library log lines reach the converter whose thread (or whose library object) logged them,
// filtered by its level and cut to 1024 bytes.
#include "engine/converter/converter.h"
#include "engine/media/log_routing.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

#include <QObject>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vc {
namespace {

struct Line {
    int level;
    std::string text;
};

class RecordingTarget final : public LibraryLogTarget {
public:
    int level = 24;
    int LibraryLogLevel() const override { return level; }
    void LibraryLogLine(int lvl, const std::string& text) override {
        std::lock_guard lock(mutex);
        lines.push_back({lvl, text});
    }
    std::vector<Line> Lines() {
        std::lock_guard lock(mutex);
        return lines;
    }
    std::mutex mutex;
    std::vector<Line> lines;
};

// Runs `body` on a fresh thread registered for `target`, as a converter's worker is.
template <typename F> void OnRegisteredThread(LibraryLogTarget* target, F body) {
    std::thread t([&] {
        ThreadRegistry::Add(std::this_thread::get_id(), target);
        body();
        ThreadRegistry::Remove(std::this_thread::get_id());
    });
    t.join();
}

TEST(LogRouting, LevelsAboveTheTargetsLevelAreDropped) {
    InstallLibraryLogCallback();
    RecordingTarget target;
    OnRegisteredThread(&target, [] {
        av_log(nullptr, AV_LOG_INFO, "info %d\n", 32);   // 32 > 24: dropped
        av_log(nullptr, AV_LOG_ERROR, "error %d\n", 16); // forwarded as formatted
        av_log(nullptr, AV_LOG_WARNING, "warning\n");
    });
    auto lines = target.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].level, AV_LOG_ERROR);
    EXPECT_EQ(lines[0].text, "error 16\n");
    EXPECT_EQ(lines[1].text, "warning\n");
}

TEST(LogRouting, UnregisteredThreadsAndUntaggedObjectsAreDropped) {
    InstallLibraryLogCallback();
    RecordingTarget target;
    RegisterLogTarget(&target);
    av_log(nullptr, AV_LOG_ERROR, "from a thread nobody registered\n");
    UnregisterLogTarget(&target);
    EXPECT_TRUE(target.Lines().empty());
    EXPECT_EQ(ThreadRegistry::Find(std::this_thread::get_id()), nullptr);
}

TEST(LogRouting, CodecContextsCarryTheirTargetToOtherThreads) {
    InstallLibraryLogCallback();
    RecordingTarget target;
    RegisterLogTarget(&target);
    AVCodecContext* ctx = avcodec_alloc_context3(nullptr);
    TagLogTarget(ctx, &target);
    std::thread codec_thread([ctx] { av_log(ctx, AV_LOG_ERROR, "from a codec thread\n"); });
    codec_thread.join();
    // An opaque that is no registered target is never followed.
    RecordingTarget stranger;
    ctx->opaque = &stranger;
    std::thread other([ctx] { av_log(ctx, AV_LOG_ERROR, "foreign opaque\n"); });
    other.join();
    avcodec_free_context(&ctx);
    UnregisterLogTarget(&target);
    ASSERT_EQ(target.Lines().size(), 1u);
    EXPECT_NE(target.Lines()[0].text.find("from a codec thread"), std::string::npos);
    EXPECT_TRUE(stranger.Lines().empty());
}

TEST(LogRouting, LongLinesAreCutTo1024BytesWithoutSplittingACharacter) {
    InstallLibraryLogCallback();
    RecordingTarget target;
    const std::string ascii(3000, 'x');
    // 1023 ASCII bytes, then a 3-byte character that the cut would split.
    const std::string split = std::string(1023, 'y') + "\xE9\x9F\xB3" + "tail";
    OnRegisteredThread(&target, [&] {
        av_log(nullptr, AV_LOG_ERROR, "%s", ascii.c_str());
        av_log(nullptr, AV_LOG_ERROR, "%s", split.c_str());
        av_log(nullptr, AV_LOG_ERROR, "short\n");
    });
    auto lines = target.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, std::string(1024, 'x'));
    EXPECT_EQ(lines[1].text, std::string(1023, 'y'));
    EXPECT_EQ(lines[2].text, "short\n");
}

TEST(LogRouting, ConverterForwardsByItsLogLevelAndKeepsTheLastLine) {
    TAVConverter converter;
    std::vector<std::string> seen;
    QObject::connect(
        &converter, &TAVConverter::OnLog, &converter,
        [&](int, const QString& text) { seen.push_back(text.toStdString()); }, Qt::DirectConnection);
    OnRegisteredThread(&converter, [] {
        av_log(nullptr, AV_LOG_INFO, "informational\n");
        av_log(nullptr, AV_LOG_ERROR, "an error\n");
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "an error\n");
    EXPECT_EQ(converter.LastLog(), "an error\n");
    converter.LogLevel = AV_LOG_INFO;
    OnRegisteredThread(&converter, [] { av_log(nullptr, AV_LOG_INFO, "now wanted\n"); });
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(converter.LastLog(), "now wanted\n");
}

TEST(LogRouting, RegistryIsSafeForConcurrentUse) {
    RecordingTarget target;
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] {
            for (int k = 0; k < 200; ++k) {
                ThreadRegistry::Add(std::this_thread::get_id(), &target);
                EXPECT_EQ(ThreadRegistry::Find(std::this_thread::get_id()), &target);
                ThreadRegistry::Remove(std::this_thread::get_id());
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(ThreadRegistry::Find(std::this_thread::get_id()), nullptr);
}

} // namespace
} // namespace vc
