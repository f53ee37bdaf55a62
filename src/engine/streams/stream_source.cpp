#include "engine/streams/stream_source.h"

#include "engine/media/format_helpers.h"
#include "platform/error.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <atomic>
#include <cerrno>
#include <exception>
#include <map>
#include <mutex>

namespace vc {

namespace {

// Live streams by number. Guarded by registry_lock.
std::mutex registry_lock;
std::map<int, std::shared_ptr<TStream>>& Registry() {
    static std::map<int, std::shared_ptr<TStream>> registry;
    return registry;
}
std::atomic<int> next_number{1};

// What one open I/O context reads from; the context's opaque pointer.
struct Connection {
    std::shared_ptr<TStream> stream;
    std::string url;
};

constexpr int kIoBufferSize = 32768;

void LogStreamError(const Connection& c, const char* what) {
    av_log(nullptr, AV_LOG_ERROR, "%s: %s\n", c.url.c_str(), what);
}

int ReadPacket(void* opaque, uint8_t* buf, int buf_size) {
    auto& c = *static_cast<Connection*>(opaque);
    try {
        const int32_t n = c.stream->Read(buf, buf_size);
        if (n < 0)
            return AVERROR(EIO);
        return n == 0 ? AVERROR_EOF : n;
    } catch (const std::exception& e) {
        LogStreamError(c, e.what());
    } catch (...) {
        LogStreamError(c, "read failed");
    }
    return AVERROR(EIO);
}

int64_t SeekStream(void* opaque, int64_t offset, int whence) {
    auto& c = *static_cast<Connection*>(opaque);
    try {
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE: {
            const int64_t size = c.stream->GetSize();
            return size < 0 ? AVERROR(ENOSYS) : size;
        }
        case SEEK_SET: return c.stream->Seek(offset, TSeekOrigin::soBeginning);
        case SEEK_CUR: return c.stream->Seek(offset, TSeekOrigin::soCurrent);
        case SEEK_END: return c.stream->Seek(offset, TSeekOrigin::soEnd);
        default: return AVERROR(EINVAL);
        }
    } catch (const std::exception& e) {
        LogStreamError(c, e.what());
    } catch (...) {
        LogStreamError(c, "seek failed");
    }
    return AVERROR(EIO);
}

} // namespace

bool IsStreamUrl(std::string_view url) {
    return url.starts_with("stream:");
}

int RegisterStream(std::shared_ptr<TStream> stream) {
    if (!stream)
        throw Error("Can not register an empty stream");
    const int number = next_number.fetch_add(1);
    std::lock_guard guard(registry_lock);
    Registry().emplace(number, std::move(stream));
    return number;
}

void UnregisterStream(int number) {
    std::shared_ptr<TStream> dropped; // released outside the lock
    std::lock_guard guard(registry_lock);
    if (auto it = Registry().find(number); it != Registry().end()) {
        dropped = std::move(it->second);
        Registry().erase(it);
    }
}

std::shared_ptr<TStream> FindStream(int number) {
    std::lock_guard guard(registry_lock);
    auto it = Registry().find(number);
    return it == Registry().end() ? nullptr : it->second;
}

std::string StreamUrl(int number) {
    return "stream:" + std::to_string(number);
}

TStreamRegistration::TStreamRegistration(std::shared_ptr<TStream> stream)
    : number_(RegisterStream(std::move(stream))) {}

TStreamRegistration::~TStreamRegistration() {
    if (number_ != 0)
        UnregisterStream(number_);
}

TStreamRegistration::TStreamRegistration(TStreamRegistration&& other) noexcept : number_(other.number_) {
    other.number_ = 0;
}

TStreamRegistration& TStreamRegistration::operator=(TStreamRegistration&& other) noexcept {
    if (this != &other) {
        if (number_ != 0)
            UnregisterStream(number_);
        number_ = other.number_;
        other.number_ = 0;
    }
    return *this;
}

void StreamIoDeleter::operator()(AVIOContext* io) const {
    if (!io)
        return;
    delete static_cast<Connection*>(io->opaque);
    av_freep(&io->buffer); // FFmpeg may have replaced the buffer we allocated
    avio_context_free(&io);
}

StreamIoPtr OpenStreamIo(std::string_view url) {
    int number = 0;
    try {
        number = StreamIndexFromUrl(url);
    } catch (const Error&) {
        throw Error("Can not open \"" + std::string(url) + "\": not a stream source name");
    }
    auto stream = FindStream(number);
    if (!stream)
        throw Error("Can not open \"" + std::string(url) +
                    "\": the stream is no longer available (it was closed or belongs to an "
                    "earlier session); choose the source again");
    auto connection = std::make_unique<Connection>(Connection{std::move(stream), std::string(url)});
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (!buffer)
        throw Error("Out of memory");
    AVIOContext* io =
        avio_alloc_context(buffer, kIoBufferSize, 0, connection.get(), ReadPacket, nullptr, SeekStream);
    if (!io) {
        av_free(buffer);
        throw Error("Out of memory");
    }
    connection.release(); // owned by the context from here on
    return StreamIoPtr(io);
}

InputContext::InputContext(InputContext&& other) noexcept : io_(std::move(other.io_)), ic_(other.ic_) {
    other.ic_ = nullptr;
}

InputContext& InputContext::operator=(InputContext&& other) noexcept {
    if (this != &other) {
        Reset();
        io_ = std::move(other.io_);
        ic_ = other.ic_;
        other.ic_ = nullptr;
    }
    return *this;
}

void InputContext::Reset() {
    if (ic_)
        avformat_close_input(&ic_); // does not free a custom pb
    io_.reset();
}

int OpenInput(InputContext& out, const std::string& url, const AVInputFormat* format, AVDictionary** options,
              const AVIOInterruptCB* interrupt) {
    out.Reset();
    StreamIoPtr io;
    if (IsStreamUrl(url))
        io = OpenStreamIo(url);
    AVFormatContext* ic = avformat_alloc_context();
    if (!ic)
        return AVERROR(ENOMEM);
    if (interrupt)
        ic->interrupt_callback = *interrupt;
    if (io)
        ic->pb = io.get();
    const int rc = avformat_open_input(&ic, url.c_str(), format, options); // frees ic on failure
    if (rc < 0)
        return rc;
    out.io_ = std::move(io);
    out.ic_ = ic;
    return rc;
}

} // namespace vc
