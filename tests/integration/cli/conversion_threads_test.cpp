// How many threads a conversion gets when the user names none: the configured count, where 0 lets
// the libraries choose for the machine. Judged by what the request stores and by the encoder
// settings x264 writes into its own stream.
#include "tasks_cli_fixture.h"

#include "model/settings/conversion_settings.h"
#include "store/persistent_manager.h"

#include <QThread>
#include <fstream>
#include <iterator>
#include <regex>

namespace vc::test {
namespace {

// The "threads=N" of the settings line x264 writes into the stream, or -1.
int X264Threads(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::smatch m;
    static const std::regex kThreads(" threads=(\\d+) ");
    return std::regex_search(bytes, m, kThreads) ? std::stoi(m[1]) : -1;
}

TEST_F(TaskCliTest, ConvertWithoutAThreadOptionUsesTheConfiguredCount) {
    const auto clip = MakeClip("clip.mp4", 1);
    const int processors = QThread::idealThreadCount();
    struct Case {
        const char* name;
        const char* config; // PerformanceOptions.ThreadCount set before, or nullptr
        std::vector<std::string> extra;
        int stored;          // the request's ThreadCount
        bool x264_automatic; // x264 chose its own count (more than one on a multi-core machine)
        int x264_threads;    // else this count
    };
    const Case cases[] = {
        {"default", nullptr, {}, 0, true, 0},
        {"catalogue profile",
         nullptr,
         {"--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4"},
         0,
         false,
         -1},
        {"--threads", nullptr, {"--threads", "1"}, 1, false, 1},
        {"configured", "1", {}, 1, false, 1},
        {"configured, --threads wins", "1", {"--threads", "0"}, 0, true, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.config) {
            ASSERT_EQ(
                Vconv({"config", "set", std::string("PerformanceOptions.ThreadCount=") + c.config}).exit_code,
                0);
        }
        const auto out = dir_ / ("out" + std::to_string(n++) + ".mp4");
        std::vector<std::string> args = {"convert", "-q", clip.string(), "-o", out.string()};
        if (c.extra.empty() || c.extra.front() != "--profile")
            args.insert(args.end(), {"--vcodec", "libx264"});
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const ProcessResult r = Vconv(args);
        ASSERT_EQ(r.exit_code, 0) << r.err;

        // The stored request, as a restored task or `vconv start` reads it again.
        auto db = OpenStore();
        auto& row = db->Prepare("SELECT ConvertSettings FROM Conversions ORDER BY ID DESC LIMIT 1");
        row.Reset();
        ASSERT_TRUE(row.Step());
        TConversionSettings stored;
        TPersistentManager::ReadConvertSettings(stored, row.Text("ConvertSettings"));
        EXPECT_EQ(stored.ConvertOptions()->ThreadCount(), c.stored);

        if (c.x264_automatic) {
            if (processors > 1) {
                EXPECT_GT(X264Threads(out), 1);
            }
        } else if (c.x264_threads > 0) {
            EXPECT_EQ(X264Threads(out), c.x264_threads);
        }
    }
}

} // namespace
} // namespace vc::test
