#include "dvd_test_util.h"
#include "engine/streams/stream_source.h"
#include "platform/error.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vc {
namespace {

using test::Dvd;
using test::FileBytes;
using test::ReadAll;

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, int64_t from, int64_t to) {
    return {v.begin() + from, v.begin() + std::min<int64_t>(to, std::ssize(v))};
}

class DvdStreamDrives : public ::testing::TestWithParam<std::string> {};

// Each title sits alone in its title set, so a whole title is exactly its set's VOB file.
TEST_P(DvdStreamDrives, AWholeTitleIsItsVobFileByteForByte) {
    const auto vob = FileBytes(Dvd("disc/VIDEO_TS/VTS_01_1.VOB"));
    TDvdStream stream(Dvd(GetParam()).string(), 1, 1, 1, 5);
    EXPECT_EQ(stream.StartBlock(), 0u);
    EXPECT_EQ(stream.GetSize(), std::ssize(vob));
    const auto got = ReadAll(stream);
    EXPECT_EQ(got.size(), vob.size());
    EXPECT_TRUE(got == vob) << "the title's bytes differ from its VOB file";
    EXPECT_EQ(stream.Read(nullptr, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(FolderAndIso, DvdStreamDrives, ::testing::Values("disc", "disc.iso"));

TEST(DvdStream, AChapterRangeEndsWhereTheNextChapterBegins) {
    const auto vob = FileBytes(Dvd("disc/VIDEO_TS/VTS_01_1.VOB"));
    TDvdStream stream(Dvd("disc").string(), 1, 1, 2, 3);
    EXPECT_EQ(stream.FirstChapter(), 2);
    EXPECT_EQ(stream.LastChapter(), 3);
    ASSERT_GT(stream.StartBlock(), 0u);
    ASSERT_GT(stream.EndBlock(), stream.StartBlock());
    EXPECT_EQ(stream.GetSize(), int64_t(stream.EndBlock() - stream.StartBlock()) * 2048);
    const auto got = ReadAll(stream, 10000);
    EXPECT_EQ(std::ssize(got), stream.GetSize());
    EXPECT_TRUE(got == Slice(vob, stream.StartBlock() * 2048LL, stream.EndBlock() * 2048LL));
    EXPECT_EQ(stream.CurrentChapter(), 4) << "reading stopped when chapter 4 came";

    // The cut points are the chapter marks (4.8 s and 15.0 s): the range plays 10.2 s and its first
    // picture is the title's picture at 4.8 s (frame 120).
    test::TempDir dir;
    const auto range = dir / "range.mpg";
    std::ofstream(range, std::ios::binary).write(reinterpret_cast<const char*>(got.data()), std::ssize(got));
    const std::string frames = test::Ffprobe(
        range, {"-select_streams", "v", "-count_frames", "-show_entries", "stream=nb_read_frames"});
    EXPECT_NEAR(std::stod(frames) / 25.0, 10.2, 0.5) << frames;
    const auto psnr =
        test::RunProcess("ffmpeg", {"-nostdin", "-hide_banner", "-i", range.string(), "-i",
                                    Dvd("disc/VIDEO_TS/VTS_01_1.VOB").string(), "-filter_complex",
                                    "[0:v]trim=end_frame=1,setpts=PTS-STARTPTS[a];"
                                    "[1:v]select=eq(n\\,120),setpts=PTS-STARTPTS[b];[a][b]psnr",
                                    "-f", "null", "-"});
    EXPECT_GE(test::PsnrAverage(psnr.err), 35.0) << psnr.err;
}

TEST(DvdStream, SeeksAsTheReaderExpects) {
    const auto vob = FileBytes(Dvd("disc/VIDEO_TS/VTS_01_1.VOB"));
    TDvdStream stream(Dvd("disc").string(), 1, 1, 2, 3);
    const int64_t base = stream.StartBlock() * 2048LL;
    uint8_t buf[4096];

    // Before the size was asked, every position is lowered to 0.
    EXPECT_EQ(stream.Seek(5000, TSeekOrigin::soBeginning), 0);
    const int64_t size = stream.GetSize();

    EXPECT_EQ(stream.Seek(5000, TSeekOrigin::soBeginning), 5000); // block 2, 904 bytes skipped
    ASSERT_EQ(stream.Read(buf, 1000), 1000);
    EXPECT_TRUE(Slice({buf, buf + 1000}, 0, 1000) == Slice(vob, base + 5000, base + 6000));

    EXPECT_EQ(stream.Seek(0, TSeekOrigin::soCurrent), -1);
    EXPECT_EQ(stream.Seek(-1, TSeekOrigin::soEnd), -1);

    // A block boundary in chapter 3: no bytes are discarded, the chapter is still right.
    const int64_t in_chapter3 = (size / 2048 - 10) * 2048;
    EXPECT_EQ(stream.Seek(in_chapter3, TSeekOrigin::soBeginning), in_chapter3);
    EXPECT_EQ(stream.CurrentChapter(), 3);
    const auto tail = ReadAll(stream, 3000);
    EXPECT_TRUE(tail == Slice(vob, base + in_chapter3, base + size));

    // Seeks in a row, with nothing read in between.
    ASSERT_EQ(stream.Seek(3 * 2048, TSeekOrigin::soBeginning), 3 * 2048);
    ASSERT_EQ(stream.Seek(size - 4 * 2048, TSeekOrigin::soBeginning), size - 4 * 2048);
    ASSERT_EQ(stream.Seek(100 * 2048 + 5, TSeekOrigin::soBeginning), 100 * 2048 + 5);
    ASSERT_EQ(stream.Read(buf, 100), 100);
    EXPECT_TRUE(Slice({buf, buf + 100}, 0, 100) ==
                Slice(vob, base + 100 * 2048 + 5, base + 100 * 2048 + 105));

    EXPECT_EQ(stream.Seek(size + 123456, TSeekOrigin::soBeginning), size);
    EXPECT_EQ(stream.Read(buf, 100), 0);

    EXPECT_EQ(stream.Seek(0, TSeekOrigin::soBeginning), 0);
    ASSERT_EQ(stream.Read(buf, 4096), 4096);
    EXPECT_TRUE(Slice({buf, buf + 4096}, 0, 4096) == Slice(vob, base, base + 4096));
    EXPECT_THROW(stream.Write(buf, 1), Error);
}

TEST(DvdStream, ATitleThatReplaysItselfStillEnds) {
    // Title 2's post-command plays it again; the stream must end after one pass.
    const auto vob = FileBytes(Dvd("disc/VIDEO_TS/VTS_02_1.VOB"));
    TDvdStream stream(Dvd("disc.iso").string(), 2, 1, 1, 1);
    const auto got = ReadAll(stream);
    EXPECT_EQ(got.size(), vob.size());
    EXPECT_TRUE(got == vob);
}

TEST(DvdStream, OpeningErrorsSayWhatFailed) {
    struct Case {
        std::string drive;
        int title, first, last;
        const char* message;
    } cases[] = {
        {"missing", 1, 1, 1, "Can not open DVD"},   {"damaged_vmg", 1, 1, 1, "Can not open DVD"},
        {"disc", 3, 1, 1, "Can not open title"},    {"damaged_vts", 2, 1, 1, "Can not open title"},
        {"disc", 1, 0, 2, "Can not start chapter"}, {"disc", 1, 3, 6, "Can not start chapter"},
        {"disc", 1, 4, 2, "Can not start chapter"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.drive + " title " + std::to_string(c.title));
        try {
            TDvdStream stream(Dvd(c.drive).string(), c.title, 1, c.first, c.last);
            ADD_FAILURE() << "opened";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(DvdStream, ATruncatedVobEndsTheStreamEarlyWithoutHanging) {
    const auto vob = FileBytes(Dvd("damaged_vob/VIDEO_TS/VTS_01_1.VOB"));
    const auto start = std::chrono::steady_clock::now();
    try {
        TDvdStream stream(Dvd("damaged_vob").string(), 1, 1, 1, 5);
        const auto got = ReadAll(stream);
        EXPECT_LE(got.size(), size_t(stream.GetSize()));
        EXPECT_GE(got.size(), vob.size() / 2) << "what is on the disc is delivered";
        EXPECT_TRUE(Slice(got, 0, 100000) == Slice(vob, 0, 100000));
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Can not start chapter");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// The way the converter and the preview meet a DVD: a registered stream opened by name.
TEST(DvdStream, DemuxesThroughAStreamName) {
    auto dvd = std::make_shared<TDvdStream>(Dvd("disc").string(), 1, 1, 2, 3);
    TStreamRegistration reg(dvd);
    InputContext in;
    ASSERT_EQ(OpenInput(in, reg.Url() + ".vob"), 0);
    ASSERT_GE(avformat_find_stream_info(in.get(), nullptr), 0);
    int video = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    ASSERT_GE(video, 0);
    EXPECT_EQ(in->streams[video]->codecpar->codec_id, AV_CODEC_ID_MPEG2VIDEO);
    // Read to the end, then back to the start: the demuxer's own seek goes through the stream.
    AVPacket* pkt = av_packet_alloc();
    int frames = 0;
    while (av_read_frame(in.get(), pkt) >= 0) {
        frames += pkt->stream_index == video;
        av_packet_unref(pkt);
    }
    EXPECT_NEAR(frames / 25.0, 10.2, 0.5);
    ASSERT_GE(avformat_seek_file(in.get(), -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE), 0);
    ASSERT_GE(av_read_frame(in.get(), pkt), 0);
    av_packet_unref(pkt);
    av_packet_free(&pkt);
}

} // namespace
} // namespace vc
