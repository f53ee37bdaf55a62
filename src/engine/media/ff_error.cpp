#include "engine/media/ff_error.h"

extern "C" {
#include <libavutil/error.h>
}

namespace vc {

std::string FfErrorText(int error_code) {
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error_code, buffer, sizeof buffer);
    return buffer;
}

} // namespace vc
