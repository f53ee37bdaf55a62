// Decode-and-deliver rate of the preview engine (recording renderers, no clock) against
// `ffmpeg -threads N -i IN -f null -` on the same file, and the memory footprint while looping.
// Usage: bench_preview FILE THREADS LOOPS
#include "engine/preview/pin_graph.h"
#include "engine/preview/push_source.h"

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_preview FILE THREADS LOOPS\n");
        return 2;
    }
    const std::string file = argv[1];
    const int threads = std::atoi(argv[2]);
    const int loops = std::atoi(argv[3]);

    // ffmpeg decoding the same file (video and audio), same decoder threads.
    const std::string cmd =
        "ffmpeg -nostdin -v error -threads " + std::to_string(threads) + " -i '" + file + "' -f null - ";
    const double ffmpeg_cpu0 = CpuSeconds(RUSAGE_CHILDREN);
    auto t0 = Clock::now();
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        return 1;
    }
    const double ffmpeg_wall = Seconds(t0);
    const double ffmpeg_cpu = CpuSeconds(RUSAGE_CHILDREN) - ffmpeg_cpu0;

    vc::PinGraph graph;
    graph.SetClockMode(vc::PinGraph::ClockMode::None);
    std::atomic<long> pictures{0};
    std::vector<long> rss_per_pass;
    long pictures_per_pass = 0;
    graph.SetVideoPresenter([&](const vc::PresentedPicture&) { ++pictures; });
    graph.SetAudioPresenter([](const vc::PresentedAudio&) {});
    auto source = std::make_shared<vc::TFFPushSource>();
    source->SetLoopCount(loops);
    source->SetThreadCount(threads);
    if (source->Load(file) != vc::S_OK) {
        std::fprintf(stderr, "cannot load %s\n", file.c_str());
        return 1;
    }
    graph.SetActive(true);
    graph.AddFilter(source);
    graph.Render(source->GetPin(0));
    if (source->HasAudio())
        graph.Render(source->GetPin(1));
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    t0 = Clock::now();
    graph.Play();
    double first_pass_wall = 0;
    for (;;) {
        if (graph.WaitForCompletion(std::chrono::milliseconds(200)))
            break;
        const int pass = source->CurrentLoop();
        if (static_cast<int>(rss_per_pass.size()) < pass) {
            rss_per_pass.push_back(ResidentKiB());
            if (pass == 1) {
                pictures_per_pass = pictures.load();
                first_pass_wall = Seconds(t0);
            }
        }
    }
    const double wall = Seconds(t0);
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
    rss_per_pass.push_back(ResidentKiB());
    graph.Stop();
    rusage self{};
    getrusage(RUSAGE_SELF, &self);

    const double preview_fps = pictures / wall;
    const double ffmpeg_fps = (pictures_per_pass > 0 ? pictures_per_pass : pictures / loops) / ffmpeg_wall;
    std::printf("file            %s (%d decoder threads)\n", file.c_str(), threads);
    std::printf("ffmpeg          %.2f s wall, %.2f s CPU, %.1f fps\n", ffmpeg_wall, ffmpeg_cpu, ffmpeg_fps);
    std::printf(
        "preview         %ld pictures in %d passes, %.2f s wall, %.2f s CPU, %.1f fps (first pass %.2f s)\n",
        pictures.load(), loops, wall, cpu, preview_fps, first_pass_wall);
    std::printf("ratio           %.2f x ffmpeg's rate (target >= 0.8)\n", preview_fps / ffmpeg_fps);
    std::printf("peak memory     %ld KiB\n", self.ru_maxrss);
    std::printf("resident KiB after each pass:");
    for (long kib : rss_per_pass)
        std::printf(" %ld", kib);
    std::printf("\n");
    return 0;
}
