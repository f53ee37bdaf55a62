// Writes 10,000 stored conversion requests and reads them back, as the task store does with its
// ConvertSettings column, and prints the time per document.
#include "model/persistence/omni_xml_reader.h"
#include "model/persistence/omni_xml_writer.h"
#include "model/settings/conversion_settings.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

using namespace vc;
using Clock = std::chrono::steady_clock;

namespace {

// A typical request: one source, an output path, a profile with codec options, a scale filter.
std::unique_ptr<TConversionSettings> TypicalRequest(int i) {
    auto s = std::make_unique<TConversionSettings>();
    s->SetSourceFiles({QString("/home/user/Videos/holiday %1.mp4").arg(i)});
    s->SetTargetFile(QString("/home/user/Conversion/holiday %1.mp4").arg(i));
    s->SetProfile(QString::fromUtf8("MP4 视频 (H.264 + AAC)"));
    s->SetCategoryId(1 + i % 5);
    s->SetDuration(63.48 + i);
    s->SetSourceFileSize(10485760 + i);
    TAVConvertOptions* o = s->ConvertOptions();
    o->SetOutputFormat("mp4");
    o->SetCodecOptions({"vcodec=libx264", "acodec=aac", "b=1200000", "ab=128000", "g=250"});
    o->AudioOptions()->SetAudioChannels(2);
    o->AudioOptions()->SetAudioSampleRate(44100);
    o->VideoOptions()->SetFrameWidth(1280);
    o->VideoOptions()->SetFrameHeight(720);
    o->VideoOptions()->FrameRate()->SetNum(25);
    o->VideoOptions()->FrameRate()->SetDen(1);
    o->FilterOptions()->SetVideoFilters("scale=1280:720");
    o->SetThreadCount(4);
    return s;
}

double MicrosPer(Clock::duration d, size_t n) {
    return std::chrono::duration<double, std::micro>(d).count() / static_cast<double>(n);
}

// CPU time of this thread in microseconds: on a busy machine it varies far less than wall time.
double CpuMicros() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

} // namespace

int main() {
    constexpr int kCount = 10000;
    std::vector<std::unique_ptr<TConversionSettings>> requests;
    for (int i = 0; i < kCount; ++i)
        requests.push_back(TypicalRequest(i));

    std::vector<QString> stored(kCount);
    auto start = Clock::now();
    double cpu = CpuMicros();
    for (int i = 0; i < kCount; ++i)
        stored[i] = TOmniXMLWriter::SaveToString(requests[i].get());
    const auto write_time = Clock::now() - start;
    const double write_cpu = (CpuMicros() - cpu) / kCount;

    start = Clock::now();
    cpu = CpuMicros();
    size_t checksum = 0;
    for (int i = 0; i < kCount; ++i) {
        TConversionSettings read; // the store makes a new object per row
        TOmniXMLReader::LoadFromString(&read, stored[i]);
        checksum += static_cast<size_t>(read.SourceFileSize());
    }
    const auto read_time = Clock::now() - start;
    const double read_cpu = (CpuMicros() - cpu) / kCount;

    size_t bytes = 0;
    for (const QString& s : stored)
        bytes += static_cast<size_t>(s.toUtf8().size());
    std::printf("documents:          %d (%.0f bytes each)\n", kCount, static_cast<double>(bytes) / kCount);
    std::printf("write (SaveToString):               %.1f us wall, %.1f us CPU per document\n",
                MicrosPer(write_time, kCount), write_cpu);
    std::printf("read (new object + LoadFromString): %.1f us wall, %.1f us CPU per document\n",
                MicrosPer(read_time, kCount), read_cpu);
    std::printf("checksum %zu\n", checksum);
    return checksum == 0 ? 1 : 0;
}
