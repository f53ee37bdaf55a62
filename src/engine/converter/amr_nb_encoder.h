#pragma once
// AMR-NB (narrow-band adaptive multi-rate speech) written with the opencore AMR-NB library:
// 8000 Hz mono 16-bit sound in frames of 160 samples, each encoded into one storage-format frame
// (a mode byte and the speech bits) that the AMR and 3GP muxers take as one packet.
#include "engine/converter/own_encoders.h"

namespace vc {

// The encoder's record ("libopencore_amrnb"), or null when the program was built without the
// library.
const AVCodec* AmrNbEncoderRecord();
std::unique_ptr<OwnEncoder> CreateAmrNbEncoder();

// The mode (0 = 4.75 kbit/s ... 7 = 12.2 kbit/s) nearest to `bit_rate` bits per second, and the
// mode's own rate.
int AmrNbModeForBitRate(int64_t bit_rate);
int AmrNbModeBitRate(int mode);

} // namespace vc
