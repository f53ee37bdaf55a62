#include "engine/preview/snapshot.h"

#include "engine/media/ff_error.h"
#include "engine/media/ff_handles.h"
#include "engine/preview/pin_graph.h"
#include "engine/preview/push_source.h"
#include "platform/error.h"

#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>

namespace vc {

SnapshotPicture GrabPicture(const std::string& source_name, double seconds,
                            const std::string& video_filters) {
    if (!(seconds >= 0) || !std::isfinite(seconds))
        throw Error("The time must be a number of seconds, 0 or more");
    std::mutex mutex;
    std::condition_variable got_cv;
    bool got = false;
    SnapshotPicture result;

    PinGraph graph;
    graph.SetClockMode(PinGraph::ClockMode::None);
    graph.SetVideoPresenter([&](const PresentedPicture& p) {
        std::lock_guard lock(mutex);
        if (got)
            return;
        result.width = p.width;
        result.height = p.height;
        result.bgra.resize(static_cast<size_t>(p.width) * p.height * 4);
        for (int r = 0; r < p.height; ++r) {
            const int64_t from = int64_t{r} * p.stride;
            if (from + p.width * 4 > p.size)
                break;
            std::copy_n(p.data + from, p.width * 4, result.bgra.data() + int64_t{r} * p.width * 4);
        }
        got = true;
        got_cv.notify_all();
    });

    auto source = std::make_shared<TFFPushSource>();
    source->SetLoopCount(1);
    source->SetThreadCount(0);
    source->SetShowMode(smRgb32);
    source->SetDisableAudio(true);
    source->SetVideoFilters(video_filters);
    if (source->Load(source_name) != S_OK)
        throw Error("Cannot open " + source_name + ": it is not a media file this program can read");
    if (!source->HasVideo())
        throw Error(source_name + ": the file holds no pictures");
    RefTime duration = 0;
    source->GetDuration(&duration);
    RefTime at = static_cast<RefTime>(std::llround(seconds * kUnitsPerSecond));
    // Seek before the pins run: the first picture they deliver is the one at that time.
    source->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, 0);

    graph.SetActive(true);
    graph.AddFilter(source);
    if (Failed(graph.Render(source->GetPin(0))))
        throw Error("Cannot show the pictures of " + source_name);
    graph.Play();
    {
        std::unique_lock lock(mutex);
        for (int i = 0; i < 600 && !got; ++i) {
            got_cv.wait_for(lock, std::chrono::milliseconds(100));
            if (!got) {
                lock.unlock();
                const bool ended = graph.WaitForCompletion(std::chrono::milliseconds(0));
                lock.lock();
                if (ended && !got)
                    break;
            }
        }
    }
    graph.Stop();
    graph.ClearGraph();
    if (!got) {
        char text[160];
        std::snprintf(text, sizeof text, "There is no picture at %.3f s (the video lasts %.3f s)", seconds,
                      static_cast<double>(duration) / kUnitsPerSecond);
        throw Error(text);
    }
    return result;
}

void SavePicturePng(const SnapshotPicture& picture, const std::string& path) {
    if (picture.width <= 0 || picture.height <= 0)
        throw Error("There is no picture to save");
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec)
        throw Error("This FFmpeg build has no PNG encoder");
    CodecContextPtr enc(avcodec_alloc_context3(codec));
    FramePtr frame(av_frame_alloc());
    PacketPtr pkt(av_packet_alloc());
    if (!enc || !frame || !pkt)
        throw std::bad_alloc();
    enc->width = picture.width;
    enc->height = picture.height;
    enc->pix_fmt = AV_PIX_FMT_RGB24;
    enc->time_base = AVRational{1, 25};
    int rc = avcodec_open2(enc.get(), codec, nullptr);
    if (rc < 0)
        throw Error("Cannot make a PNG picture: " + FfErrorText(rc));
    frame->format = AV_PIX_FMT_RGB24;
    frame->width = picture.width;
    frame->height = picture.height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        throw std::bad_alloc();
    for (int r = 0; r < picture.height; ++r) {
        const uint8_t* in = picture.bgra.data() + static_cast<size_t>(r) * picture.width * 4;
        uint8_t* out = frame->data[0] + static_cast<ptrdiff_t>(r) * frame->linesize[0];
        for (int x = 0; x < picture.width; ++x) {
            out[3 * x] = in[4 * x + 2];
            out[3 * x + 1] = in[4 * x + 1];
            out[3 * x + 2] = in[4 * x];
        }
    }
    frame->pts = 0;
    if ((rc = avcodec_send_frame(enc.get(), frame.get())) < 0 ||
        (rc = avcodec_send_frame(enc.get(), nullptr)) < 0 ||
        (rc = avcodec_receive_packet(enc.get(), pkt.get())) < 0)
        throw Error("Cannot make a PNG picture: " + FfErrorText(rc));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        throw Error("Cannot write " + path + ": check that the folder exists and is writable");
    if (std::fwrite(pkt->data, 1, static_cast<size_t>(pkt->size), file.get()) !=
            static_cast<size_t>(pkt->size) ||
        std::fclose(file.release()) != 0)
        throw Error("Cannot write " + path + ": the disk may be full");
}

} // namespace vc
