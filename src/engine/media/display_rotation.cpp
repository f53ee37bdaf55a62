#include "engine/media/display_rotation.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include <cmath>

namespace vc {

namespace {
bool Near(double a, double b) { return std::fabs(a - b) < 1; }
} // namespace

double DisplayRotation(const AVStream* st) {
    const auto* matrix =
        reinterpret_cast<const int32_t*>(av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (!matrix)
        return 0;
    const double counter_clockwise = av_display_rotation_get(matrix);
    if (std::isnan(counter_clockwise))
        return 0;
    double theta = -std::round(counter_clockwise);
    theta -= 360 * std::floor(theta / 360 + 0.9 / 360);
    return theta;
}

bool TurnSwapsSides(double degrees) { return Near(degrees, 90) || Near(degrees, 270); }

std::vector<std::pair<std::string, std::string>> UprightFilters(double degrees) {
    if (Near(degrees, 90))
        return {{"transpose", "clock"}};
    if (Near(degrees, 180))
        return {{"hflip", ""}, {"vflip", ""}};
    if (Near(degrees, 270))
        return {{"transpose", "cclock"}};
    if (Near(degrees, 0) || Near(degrees, 360))
        return {};
    return {{"rotate", std::to_string(degrees) + "*PI/180"}};
}

} // namespace vc
