#include "engine/media/display_rotation.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace vc {

namespace {
bool Near(double a, double b) {
    return std::fabs(a - b) < 1;
}
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

bool TurnSwapsSides(double degrees) {
    return Near(degrees, 90) || Near(degrees, 270);
}

AVFilterContext* LinkUprightFilters(AVFilterGraph* graph, AVFilterContext* head, double degrees) {
    // (filter, arguments) in order.
    std::vector<std::pair<const char*, std::string>> filters;
    if (Near(degrees, 90))
        filters = {{"transpose", "clock"}};
    else if (Near(degrees, 180))
        filters = {{"hflip", ""}, {"vflip", ""}};
    else if (Near(degrees, 270))
        filters = {{"transpose", "cclock"}};
    else if (!Near(degrees, 0) && !Near(degrees, 360))
        filters = {{"rotate", std::to_string(degrees) + "*PI/180"}};
    int step = 0;
    for (const auto& [filter, args] : filters) {
        AVFilterContext* next = nullptr;
        const std::string name = "upright" + std::to_string(step++);
        if (avfilter_graph_create_filter(&next, avfilter_get_by_name(filter), name.c_str(),
                                         args.empty() ? nullptr : args.c_str(), nullptr, graph) < 0 ||
            avfilter_link(head, 0, next, 0) < 0)
            return nullptr;
        head = next;
    }
    return head;
}

} // namespace vc
