#pragma once
// "stream:" sources: any live TStream of this process can be opened by the converter and the
// preview under the name "stream:<n>" (optionally with a file extension, "stream:<n>.vob"), exactly
// like a file name.
//
// FFmpeg 5.1 cannot register protocols any more, so a "stream:" name is opened through a custom
// AVIOContext over the stream object; the name is then only a label for FFmpeg.
//
// Owners put their stream into the registry and keep the TStreamRegistration for as long as the
// name may be opened. An open I/O context shares ownership of the stream, so unregistering while a
// conversion still reads it is safe; a name whose number is not registered fails to open with a
// clear message instead of reading from a stale object.
//
//   auto dvd = std::make_shared<TDvdStream>(...);
//   TStreamRegistration reg(dvd);               // reg.Url() == "stream:7"
//   ...
//   InputContext in;
//   int rc = OpenInput(in, url, nullptr, &options);   // files and "stream:" names alike
//   if (rc < 0) ...;                                  // FFmpeg error code
//   avformat_find_stream_info(in.get(), nullptr);     // the handle closes input, then its I/O
#include "engine/streams/stream.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <memory>
#include <string>
#include <string_view>

namespace vc {

// True for names that begin "stream:" (exact case).
bool IsStreamUrl(std::string_view url);

// --- registry of live streams (thread-safe) -------------------------------------------------

// Registers a stream and returns its number (never 0, never reused within the process).
int RegisterStream(std::shared_ptr<TStream> stream);
// Forgets the number; contexts already open on it keep reading. Unknown numbers are ignored.
void UnregisterStream(int number);
// The stream registered under the number, or null.
std::shared_ptr<TStream> FindStream(int number);
// "stream:<n>".
std::string StreamUrl(int number);

// Registers on construction, unregisters on destruction.
class TStreamRegistration {
public:
    TStreamRegistration() = default;
    explicit TStreamRegistration(std::shared_ptr<TStream> stream);
    ~TStreamRegistration();
    TStreamRegistration(TStreamRegistration&& other) noexcept;
    TStreamRegistration& operator=(TStreamRegistration&& other) noexcept;
    TStreamRegistration(const TStreamRegistration&) = delete;
    TStreamRegistration& operator=(const TStreamRegistration&) = delete;

    int Number() const { return number_; }
    std::string Url() const { return StreamUrl(number_); }

private:
    int number_ = 0;
};

// --- opening ------------------------------------------------------------------------------------

struct StreamIoDeleter {
    void operator()(AVIOContext* io) const;
};
using StreamIoPtr = std::unique_ptr<AVIOContext, StreamIoDeleter>;

// A read-only AVIOContext over the stream a "stream:" name resolves to. Read maps to TStream::Read
// (0 becomes AVERROR_EOF); seek serves SEEK_SET, SEEK_CUR, SEEK_END and AVSEEK_SIZE (GetSize,
// position unchanged). An exception thrown by the stream is logged and becomes AVERROR(EIO).
// Throws vc::Error when the name is malformed or names no registered stream.
StreamIoPtr OpenStreamIo(std::string_view url);

// An input AVFormatContext together with the custom I/O it reads through (none for files).
// Destruction closes the input first, then frees the I/O.
class InputContext {
public:
    InputContext() = default;
    ~InputContext() { Reset(); }
    InputContext(InputContext&& other) noexcept;
    InputContext& operator=(InputContext&& other) noexcept;
    InputContext(const InputContext&) = delete;
    InputContext& operator=(const InputContext&) = delete;

    AVFormatContext* get() const { return ic_; }
    AVFormatContext* operator->() const { return ic_; }
    explicit operator bool() const { return ic_ != nullptr; }
    void Reset();

private:
    friend int OpenInput(InputContext&, const std::string&, const AVInputFormat*, AVDictionary**,
                         const AVIOInterruptCB*);
    StreamIoPtr io_;
    AVFormatContext* ic_ = nullptr;
};

// Opens `url` for demuxing into `out` (which is reset first): "stream:" names through their
// stream's I/O, everything else by FFmpeg itself. `format`, `options` and `interrupt` are passed
// to avformat_open_input as usual. Returns avformat_open_input's result (negative: FFmpeg error
// code, `out` stays empty). Throws vc::Error for a "stream:" name that names no registered stream.
int OpenInput(InputContext& out, const std::string& url, const AVInputFormat* format = nullptr,
              AVDictionary** options = nullptr, const AVIOInterruptCB* interrupt = nullptr);

} // namespace vc
