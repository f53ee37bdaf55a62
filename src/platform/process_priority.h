#pragma once
// The process priority levels of the configuration (0 idle .. 5 realtime) as nice values.
#include <optional>

namespace vc {

// Nice values 19, 10, 0, -5, -10, -20 for levels 0 to 5; nullopt for any other level.
std::optional<int> NiceValueForPriorityLevel(int level);

// Gives every thread of this process the level's nice value (threads started later inherit it from
// the thread that starts them). Returns false for a level outside 0..5, which changes nothing, or
// when the system refused some thread: raising the priority needs privileges an ordinary user
// lacks, and an unprivileged process cannot lower its nice value again. Callers ignore refusals.
bool SetProcessPriorityLevel(int level);

// The current nice value of the calling thread.
int CurrentNiceValue();

} // namespace vc
