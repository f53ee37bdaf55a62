#include "model/settings/thread_counts.h"

#include "engine/options/option_bounds.h"
#include "platform/thread_sem.h"

#include <algorithm>

namespace vc {

int ConversionThreadCount(int configured) {
    return ClampThreadCount(configured);
}

int BatchThreadCount(int configured, int processors, int files, int slot_count) {
    if (configured > 0)
        return ClampThreadCount(configured);
    const int at_once = std::min(std::max(1, files), std::max(1, slot_count));
    if (at_once == 1)
        return 0;
    return ClampThreadCount(std::max(1, processors / at_once));
}

int SlotsAtOnce(int slot_count) {
    return slot_count > 0 ? slot_count : DefaultSlotCount();
}

} // namespace vc
