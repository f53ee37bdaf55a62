// Reads one DVD title through TDvdStream and then its VOB files directly, and prints the rate of
// both in MB/s and their ratio. Usage: bench_dvd_read DISC_FOLDER TITLE RUNS
#include "engine/dvd/dvd_info.h"
#include "engine/dvd/dvd_stream.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kChunk = 65536;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The title set's VOB files VTS_nn_1.VOB, VTS_nn_2.VOB, ... in order.
std::vector<std::filesystem::path> VobFiles(const std::filesystem::path& disc, int title_set) {
    std::vector<std::filesystem::path> files;
    for (int part = 1; part <= 9; ++part) {
        char name[32];
        std::snprintf(name, sizeof name, "VTS_%02d_%d.VOB", title_set, part);
        auto p = disc / "VIDEO_TS" / name;
        if (!std::filesystem::exists(p))
            break;
        files.push_back(p);
    }
    return files;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_dvd_read DISC_FOLDER TITLE [RUNS]\n");
        return 2;
    }
    const std::filesystem::path disc = argv[1];
    const int title = std::atoi(argv[2]);
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    try {
        vc::TDvdInfo info(disc.string());
        int chapters = 0;
        for (int i = 0; i < info.TitleCount(); ++i)
            if (info.Titles(i)->TitleNumber() == title)
                chapters = info.Titles(i)->ChapterCount();
        std::vector<char> buf(kChunk);
        double best_stream = 1e9, best_direct = 1e9, best_open = 1e9;
        int64_t stream_bytes = 0, direct_bytes = 0;
        for (int run = 0; run < runs; ++run) {
            auto t0 = Clock::now();
            vc::TDvdStream stream(disc.string(), title, 1, 1, chapters);
            best_open = std::min(best_open, Seconds(t0));
            t0 = Clock::now();
            stream_bytes = 0;
            for (int32_t n; (n = stream.Read(buf.data(), kChunk)) > 0;)
                stream_bytes += n;
            best_stream = std::min(best_stream, Seconds(t0));

            t0 = Clock::now();
            direct_bytes = 0;
            const int title_set = stream.Title()->title_set;
            for (const auto& file : VobFiles(disc, title_set)) {
                std::ifstream in(file, std::ios::binary);
                while (in.read(buf.data(), kChunk) || in.gcount() > 0)
                    direct_bytes += in.gcount();
            }
            best_direct = std::min(best_direct, Seconds(t0));
        }
        const double stream_rate = stream_bytes / 1e6 / best_stream;
        const double direct_rate = direct_bytes / 1e6 / best_direct;
        std::printf("title %d: %.1f MB through TDvdStream, %.1f MB of VOB files (best of %d)\n", title,
                    stream_bytes / 1e6, direct_bytes / 1e6, runs);
        std::printf("TDvdStream  %8.1f MB/s (opening the title: %.1f ms more)\ndirect read %8.1f MB/s\n"
                    "ratio       %8.2f (target >= 0.50)\n",
                    stream_rate, best_open * 1000, direct_rate, stream_rate / direct_rate);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_dvd_read: %s\n", e.what());
        return 1;
    }
}
