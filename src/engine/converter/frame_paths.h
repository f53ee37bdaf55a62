#pragma once
// The frame paths: decoding, filtering and encoding of the streams that are not copied. The
// transcode set-up decides copy versus encode and fits the encoder parameters; these paths build
// the filter graphs and move frames from the decoders through the graphs into the encoders.
#include <memory>

extern "C" {
#include <libavcodec/packet.h>
}

namespace vc {

class ConversionEngine;
struct InputStream;
struct OutputStream;

// Per-stream state a frame path keeps on an input or output stream record.
struct FramePathState {
    virtual ~FramePathState() = default;
};

class FramePaths {
public:
    virtual ~FramePaths() = default;
    // Builds the audio graph of an encoded audio output (its encoder settings are fitted).
    // Throws with "Error opening audio filters!" when the graph cannot be built.
    virtual void BuildAudioGraph(OutputStream& ost, InputStream& ist) = 0;
    // The same for video; throws with "Error opening filters!". Sets the encoder's final size and
    // sample aspect ratio from what reaches the graph's sink.
    virtual void BuildVideoGraph(OutputStream& ost, InputStream& ist) = 0;
    // The encoder of `ost` is open (its final frame size is known).
    virtual void EncoderOpened(OutputStream& ost) { (void)ost; }
    // Decodes one packet (null: drains the decoder) of a stream that needs decoding and hands
    // the frames to the graphs and encoders of the outputs it feeds. Returns a negative value for
    // a packet that could not be decoded (the loop drops it and goes on). Throws for encoder and
    // writer failures, which end the run.
    virtual int DecodePacket(InputStream& ist, int ist_index, const AVPacket* pkt) = 0;
    // After the decoders are drained: drains the graphs and encoders of every encoded output.
    virtual void FlushEncoders() = 0;
};

std::unique_ptr<FramePaths> CreateFramePaths(ConversionEngine& engine);

} // namespace vc
