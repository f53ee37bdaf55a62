// The pins' media types, buffer sizes and sample filling, on loaded sources.
#include "engine/preview/push_source.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace vc::test {
namespace {

std::unique_ptr<TFFPushSource> Loaded(const std::filesystem::path& file, TAVShowMode mode = smYv12) {
    auto s = std::make_unique<TFFPushSource>();
    s->SetLoopCount(1);
    s->SetShowMode(mode);
    EXPECT_EQ(s->Load(file.string()), S_OK) << file;
    return s;
}

// A PCM WAV file of silence, written by hand (no child process: see ContainerSeconds).
void WriteSilentWav(const std::filesystem::path& path, int rate, int channels, int frames) {
    const uint32_t data_bytes = static_cast<uint32_t>(frames * channels * 2);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + data_bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(static_cast<uint16_t>(channels));
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate * channels * 2));
    u16(static_cast<uint16_t>(channels * 2));
    u16(16);
    out.write("data", 4);
    u32(data_bytes);
    const std::vector<char> zeros(data_bytes, 0);
    out.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
}

TEST(PreviewPins, AudioBufferCountFollowsTheRate) {
    TempDir dir;
    const auto mono = dir / "mono8k.wav";
    WriteSilentWav(mono, 8000, 1, 8000);
    const auto surround = dir / "six.wav";
    WriteSilentWav(surround, 48000, 6, 4800);
    struct Case {
        std::filesystem::path file;
        int channels, rate, buffers;
    };
    // More than two channels reach the pin mixed to stereo.
    for (const Case& c :
         {Case{Media("audio.wav"), 2, 44100, 5}, Case{mono, 1, 8000, 1}, Case{surround, 2, 48000, 5}}) {
        auto s = Loaded(c.file);
        auto* pin = s->AudioPin();
        MediaType t;
        ASSERT_EQ(pin->GetMediaType(0, &t), S_OK);
        EXPECT_EQ(t.wave.format_tag, 1);
        EXPECT_EQ(t.wave.channels, c.channels);
        EXPECT_EQ(t.wave.samples_per_sec, static_cast<uint32_t>(c.rate));
        EXPECT_EQ(t.wave.block_align, c.channels * 2);
        EXPECT_EQ(t.wave.avg_bytes_per_sec, static_cast<uint32_t>(c.rate * c.channels * 2));
        EXPECT_EQ(t.sample_size, static_cast<uint32_t>(c.channels * 2));
        EXPECT_EQ(pin->GetMediaType(1, &t), VFW_S_NO_MORE_ITEMS);
        EXPECT_EQ(pin->GetMediaType(-1, &t), E_INVALIDARG);
        auto allocator = MemAllocator::Create();
        AllocatorProperties props;
        ASSERT_EQ(pin->DecideBufferSize(*allocator, &props), S_OK);
        EXPECT_EQ(allocator->GetProperties().buffers, c.buffers) << c.file;
        EXPECT_EQ(allocator->GetProperties().buffer_size, 16384);
    }
}

TEST(PreviewPins, VideoTypeOfferedAndAcceptedRenderers) {
    for (TAVShowMode mode : {smYv12, smRgb32}) {
        auto s = Loaded(Media("odd_size.mp4"), mode);
        auto* pin = s->VideoPin();
        MediaType t;
        ASSERT_EQ(pin->GetMediaType(0, &t), S_OK);
        EXPECT_EQ(t.major, MajorType::Video);
        EXPECT_EQ(t.video.bmi.width, 642);
        EXPECT_EQ(t.video.bmi.height, 362);
        EXPECT_EQ(t.video.source, (Rect{0, 0, 642, 362}));
        if (mode == smYv12) {
            EXPECT_EQ(t.subtype, SubType::YV12);
            EXPECT_EQ(t.video.bmi.planes, 3);
            EXPECT_EQ(t.video.bmi.bit_count, 12);
            EXPECT_EQ(t.video.bmi.compression, kFourCcYv12);
            EXPECT_EQ(t.video.bmi.size_image, 642u * 362 + 2 * 321 * 181);
        } else {
            EXPECT_EQ(t.subtype, SubType::RGB32);
            EXPECT_EQ(t.video.bmi.bit_count, 32);
            EXPECT_EQ(t.video.bmi.size_image, 642u * 362 * 4);
        }
        EXPECT_EQ(pin->CheckMediaType(t), S_OK);
        MediaType wider = t;
        wider.video.bmi.width = 704; // a renderer with longer rows
        EXPECT_EQ(pin->CheckMediaType(wider), S_OK);
        MediaType taller = t;
        taller.video.bmi.height = 364;
        EXPECT_EQ(pin->CheckMediaType(taller), E_INVALIDARG);
        MediaType upside_down = t;
        upside_down.video.bmi.height = -362;
        EXPECT_EQ(pin->CheckMediaType(upside_down), S_OK);
        MediaType other = t;
        other.subtype = mode == smYv12 ? SubType::RGB32 : SubType::YV12;
        EXPECT_EQ(pin->CheckMediaType(other), E_INVALIDARG);
        MediaType no_format = t;
        no_format.format_type = FormatType::None;
        EXPECT_EQ(pin->CheckMediaType(no_format), E_INVALIDARG);
        MediaType wrong_bits = t;
        wrong_bits.video.bmi.bit_count = mode == smYv12 ? 16 : 24;
        EXPECT_EQ(pin->SetMediaType(wrong_bits), E_INVALIDARG);
    }
}

// A lent sample of `size` bytes.
SampleRef Sample(int size) {
    auto allocator = MemAllocator::Create();
    AllocatorProperties props{1, size, 1, 0};
    allocator->SetProperties(props, nullptr);
    allocator->Commit();
    SampleRef s;
    allocator->GetBuffer(&s);
    return s;
}

TEST(PreviewPins, PicturesAreCopiedRowByRowIntoWiderRows) {
    auto s = Loaded(Media("odd_size.mp4"));
    auto* pin = s->VideoPin();
    MediaType t;
    ASSERT_EQ(pin->GetMediaType(0, &t), S_OK);
    ASSERT_EQ(pin->SetMediaType(t), S_OK);
    const int w = 642, h = 362, cw = 321;

    // Nothing queued yet and more to come: "no data yet", not the end.
    SampleRef empty = Sample(1);
    EXPECT_EQ(pin->FillBuffer(*empty), kFillNoDataYet);

    auto picture = TFFSample::Allocate(w * h + 2 * cw * 181);
    for (int i = 0; i < picture->Size; ++i)
        picture->Data.get()[i] = static_cast<uint8_t>(i * 7 + i / w);
    picture->StartTime = 0.04;
    picture->StopTime = 0.08;
    std::vector<uint8_t> source(picture->Data.get(), picture->Data.get() + picture->Size);
    pin->PushSample(std::move(picture));

    const int stride = 704;
    MediaType wide = t;
    wide.video.bmi.width = stride;
    wide.video.bmi.size_image = BitmapImageSize(wide.video.bmi);
    SampleRef sample = Sample(static_cast<int>(wide.video.bmi.size_image));
    std::memset(sample->Pointer(), 0xEE, static_cast<size_t>(sample->Size()));
    sample->SetMediaType(wide);
    ASSERT_EQ(pin->FillBuffer(*sample), S_OK);
    const uint8_t* out = sample->Pointer();
    for (int r = 0; r < h; r += 37) {
        EXPECT_EQ(std::memcmp(out + r * stride, source.data() + r * w, w), 0) << "luma row " << r;
        EXPECT_EQ(out[r * stride + w], 0xEE) << "padding after row " << r;
    }
    // Both chroma planes follow the luma as rows of width/2 at half strides.
    for (int r = 0; r < h; r += 29)
        EXPECT_EQ(std::memcmp(out + stride * h + r * (stride / 2), source.data() + w * h + r * cw, cw), 0)
            << "chroma row " << r;
    RefTime start = 0, stop = 0;
    sample->GetTime(&start, &stop);
    EXPECT_EQ(start, 400000);
    EXPECT_EQ(stop, 800000);
    EXPECT_TRUE(sample->IsDiscontinuity());
    EXPECT_TRUE(sample->IsSyncPoint());
}

} // namespace
} // namespace vc::test
