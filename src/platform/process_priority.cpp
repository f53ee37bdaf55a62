#include "platform/process_priority.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <sys/resource.h>
#include <sys/types.h>

namespace vc {

std::optional<int> NiceValueForPriorityLevel(int level) {
    static constexpr int kNice[] = {19, 10, 0, -5, -10, -20};
    if (level < 0 || level > 5)
        return std::nullopt;
    return kNice[level];
}

bool SetProcessPriorityLevel(int level) {
    const std::optional<int> nice = NiceValueForPriorityLevel(level);
    if (!nice)
        return false;
    // On Linux a nice value belongs to a thread, so each thread of the process is set in turn.
    const std::unique_ptr<DIR, int (*)(DIR*)> tasks(opendir("/proc/self/task"), &closedir);
    if (!tasks)
        return setpriority(PRIO_PROCESS, 0, *nice) == 0;
    bool all = true;
    while (const dirent* entry = readdir(tasks.get())) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        const auto tid = static_cast<id_t>(std::strtoul(entry->d_name, nullptr, 10));
        if (setpriority(PRIO_PROCESS, tid, *nice) != 0 && errno != ESRCH) // ESRCH: thread just ended
            all = false;
    }
    return all;
}

int CurrentNiceValue() {
    errno = 0;
    return getpriority(PRIO_PROCESS, 0);
}

} // namespace vc
