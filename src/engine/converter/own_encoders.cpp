#include "engine/converter/own_encoders.h"

#include "engine/converter/amr_nb_encoder.h"

#include <string>

namespace vc {

const AVCodec* FindOwnEncoder(std::string_view name) {
    const AVCodec* amr = AmrNbEncoderRecord();
    if (amr && name == amr->name)
        return amr;
    return nullptr;
}

bool IsOwnEncoder(const AVCodec* codec) {
    return codec != nullptr && codec == AmrNbEncoderRecord();
}

std::unique_ptr<OwnEncoder> CreateOwnEncoder(const AVCodec* codec) {
    if (codec != nullptr && codec == AmrNbEncoderRecord())
        return CreateAmrNbEncoder();
    return nullptr;
}

} // namespace vc
