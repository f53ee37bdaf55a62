#include "engine/streams/stream_source.h"

#include "platform/error.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace vc {
namespace {

// A stream over bytes in memory that records how it is called.
class MemoryStream : public TStream {
public:
    explicit MemoryStream(std::vector<uint8_t> data) : data_(std::move(data)) {}
    int32_t Read(void* buffer, int32_t count) override {
        if (throw_on_read)
            throw Error("disc read failed");
        const auto n = static_cast<int32_t>(std::min<int64_t>(count, std::ssize(data_) - pos));
        if (n <= 0)
            return 0;
        std::memcpy(buffer, data_.data() + pos, static_cast<size_t>(n));
        pos += n;
        return n;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        last_origin = origin;
        if (throw_on_seek)
            throw Error("Can not seek");
        const int64_t base = origin == TSeekOrigin::soBeginning ? 0
                             : origin == TSeekOrigin::soCurrent ? pos
                                                                : std::ssize(data_);
        pos = std::clamp<int64_t>(base + offset, 0, std::ssize(data_));
        return pos;
    }
    int64_t GetSize() override { return std::ssize(data_); }

    int64_t pos = 0;
    bool throw_on_read = false;
    bool throw_on_seek = false;
    TSeekOrigin last_origin = TSeekOrigin::soBeginning;

private:
    std::vector<uint8_t> data_;
};

std::shared_ptr<MemoryStream> StreamOfFile(const std::string& name) {
    std::ifstream in(test::Media(name), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GT(bytes.size(), 1000u) << name;
    return std::make_shared<MemoryStream>(std::move(bytes));
}

TEST(StreamSource, RecognisesStreamNames) {
    EXPECT_TRUE(IsStreamUrl("stream:12"));
    EXPECT_TRUE(IsStreamUrl("stream:12.vob"));
    EXPECT_FALSE(IsStreamUrl("Stream:12"));
    EXPECT_FALSE(IsStreamUrl("/tmp/stream:12"));
    EXPECT_FALSE(IsStreamUrl("movie.mp4"));
}

TEST(StreamSource, OpensARegisteredStreamWithOrWithoutExtension) {
    auto stream = StreamOfFile("mpeg2_mp2.mpg");
    TStreamRegistration reg(stream);
    EXPECT_EQ(reg.Url(), "stream:" + std::to_string(reg.Number()));
    for (const std::string& url : {reg.Url(), reg.Url() + ".vob"}) {
        SCOPED_TRACE(url);
        stream->Seek(0, TSeekOrigin::soBeginning);
        InputContext in;
        ASSERT_EQ(OpenInput(in, url), 0);
        ASSERT_GE(avformat_find_stream_info(in.get(), nullptr), 0);
        EXPECT_EQ(in->nb_streams, 2u);
        EXPECT_NEAR(in->duration / double(AV_TIME_BASE), 5.0, 0.3);
    }
}

TEST(StreamSource, SizeQueryLeavesThePositionAndSeeksAreForwarded) {
    auto stream = StreamOfFile("mpeg2_mp2.mpg");
    TStreamRegistration reg(stream);
    auto io = OpenStreamIo(reg.Url());
    uint8_t buf[100];
    ASSERT_EQ(avio_read(io.get(), buf, 100), 100);
    const int64_t pos_before = stream->pos;
    EXPECT_EQ(io->seek(io->opaque, 0, AVSEEK_SIZE), stream->GetSize());
    EXPECT_EQ(stream->pos, pos_before);
    EXPECT_EQ(io->seek(io->opaque, -10, SEEK_END), stream->GetSize() - 10);
    EXPECT_EQ(stream->last_origin, TSeekOrigin::soEnd);
    EXPECT_EQ(io->seek(io->opaque, -5, SEEK_CUR), stream->GetSize() - 15);
    EXPECT_EQ(stream->last_origin, TSeekOrigin::soCurrent);
    EXPECT_EQ(io->seek(io->opaque, 7, SEEK_SET), 7);
    EXPECT_EQ(stream->last_origin, TSeekOrigin::soBeginning);
}

TEST(StreamSource, ClosingLeavesTheStreamUsableAndUnregisteringLeavesOpenReadersReading) {
    auto stream = StreamOfFile("mpeg2_mp2.mpg");
    auto reg = std::make_unique<TStreamRegistration>(stream);
    const std::string url = reg->Url();
    {
        InputContext in;
        ASSERT_EQ(OpenInput(in, url), 0);
    }
    ASSERT_EQ(stream.use_count(), 2) << "the closed connection released its reference";
    uint8_t buf[16];
    EXPECT_EQ(stream->Read(buf, 16), 16);

    stream->Seek(0, TSeekOrigin::soBeginning);
    InputContext in;
    ASSERT_EQ(OpenInput(in, url), 0);
    reg.reset();
    EXPECT_EQ(FindStream(std::stoi(url.substr(7))), nullptr);
    AVPacket* pkt = av_packet_alloc();
    int packets = 0;
    while (av_read_frame(in.get(), pkt) >= 0) {
        ++packets;
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    EXPECT_GT(packets, 100);
}

TEST(StreamSource, UnknownOrMalformedNamesFailWithAMessage) {
    int gone = 0;
    {
        TStreamRegistration reg(StreamOfFile("audio.wav"));
        gone = reg.Number();
    }
    for (const std::string& url : {StreamUrl(gone), std::string("stream:abc"), std::string("stream:")}) {
        SCOPED_TRACE(url);
        InputContext in;
        try {
            OpenInput(in, url);
            FAIL() << "opened";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(url), std::string::npos) << e.what();
        }
        EXPECT_FALSE(in);
    }
}

TEST(StreamSource, ExceptionsInsideTheStreamBecomeIoErrors) {
    auto stream = StreamOfFile("audio.wav");
    TStreamRegistration reg(stream);
    auto io = OpenStreamIo(reg.Url());
    stream->throw_on_seek = true;
    EXPECT_EQ(io->seek(io->opaque, 1000, SEEK_SET), AVERROR(EIO));
    EXPECT_EQ(io->seek(io->opaque, 0, AVSEEK_SIZE), stream->GetSize()) << "only the failed call fails";
    stream->throw_on_read = true;
    uint8_t buf[64];
    EXPECT_EQ(io->read_packet(io->opaque, buf, 64), AVERROR(EIO));
    stream->throw_on_read = false;
    stream->throw_on_seek = false;
    stream->Seek(0, TSeekOrigin::soEnd);
    EXPECT_EQ(io->read_packet(io->opaque, buf, 64), AVERROR_EOF);
    stream->throw_on_read = true;

    InputContext in;
    EXPECT_LT(OpenInput(in, reg.Url()), 0);
    EXPECT_FALSE(in);
}

TEST(StreamSource, PlainFilesOpenThroughTheSameCall) {
    InputContext in;
    ASSERT_EQ(OpenInput(in, test::Media("h264_aac.mp4").string()), 0);
    EXPECT_EQ(in->pb != nullptr, true);
    InputContext missing;
    EXPECT_LT(OpenInput(missing, "/nonexistent/file.mp4"), 0);
    EXPECT_FALSE(missing);
}

} // namespace
} // namespace vc
