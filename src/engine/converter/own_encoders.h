#pragma once
// Encoders this program brings itself, for codecs the FFmpeg build on the machine cannot write
// (Debian's FFmpeg has no AMR-NB encoder). Each is described by an AVCodec record of its own —
// name, codec, rates, sample formats and layouts — so the encoder set-up fits the sound to it as
// it does for FFmpeg's encoders; the record is never handed to the library's codec calls.
#include <memory>
#include <string_view>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace vc {

class OwnEncoder {
public:
    virtual ~OwnEncoder() = default;
    // Checks the settings in `enc` (rate, layout, sample format, bit rate), sets its frame size and
    // starts the encoder. `options` are the encoder options given with the run; the ones that are
    // settings of every encoder ("b", "ar", ...) are applied, the others left in it. Throws
    // vc::Error with a message for people.
    virtual void Open(AVCodecContext* enc, AVDictionary** options) = 0;
    // Like avcodec_send_frame: a frame of the frame size (only the last may be shorter), or null
    // at the end. 0, AVERROR(EAGAIN) while a packet waits to be taken, or AVERROR_EOF.
    virtual int SendFrame(const AVFrame* frame) = 0;
    // Like avcodec_receive_packet: 0, AVERROR(EAGAIN) or AVERROR_EOF.
    virtual int ReceivePacket(AVPacket* pkt) = 0;
};

// The own encoder called `name` (the name profiles write), or null when this build has none.
const AVCodec* FindOwnEncoder(std::string_view name);
// Whether `codec` is the record of an own encoder.
bool IsOwnEncoder(const AVCodec* codec);
// A new encoder for the record `codec` (an own encoder's).
std::unique_ptr<OwnEncoder> CreateOwnEncoder(const AVCodec* codec);

} // namespace vc
