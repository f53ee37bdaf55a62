#pragma once
// The conversion-slot semaphore "ThreadSem": bounds how many conversions of this user, in every
// running copy of the program, are past their open phase and not paused.
#include <functional>
#include <memory>
#include <string>

namespace vc {

class TSemaphore {
public:
    virtual ~TSemaphore() = default;
    // Waits for one unit. `cancelled` is polled while waiting (at least every 50 ms); when it
    // returns true the wait ends without a unit and Acquire returns false.
    virtual bool Acquire(const std::function<bool()>& cancelled = {}) = 0;
    // Gives one unit back. Only a unit this process acquired may be released.
    virtual void Release() = 0;
};

// Opens (creating on first use) the system-wide semaphore with this name. Units held by a process
// come back when it ends, however it ends. Initial count: processors, at least 2.
std::unique_ptr<TSemaphore> OpenNamedSemaphore(const std::string& name);
inline std::unique_ptr<TSemaphore> OpenThreadSem() { return OpenNamedSemaphore("ThreadSem"); }

} // namespace vc
