#pragma once
// The conversion-slot semaphore "ThreadSem": bounds how many conversions of this user, in every
// running copy of the program, are past their open phase and not paused.
//
// On Linux it is a System V semaphore set of one semaphore, keyed by the user id and the name.
// Every unit is taken and given back with SEM_UNDO, so the kernel returns the units a process
// still holds when it ends, however it ends (SIGKILL included): a crashed copy never shrinks the
// pool. The undo record is kept per process, not per thread (threads share it), so a unit taken
// on a conversion's worker thread may be given back on the main thread (Pause does that).
#include <functional>
#include <memory>
#include <string>

namespace vc {

class TSemaphore {
public:
    virtual ~TSemaphore() = default;
    // Waits for one unit. `cancelled` is polled before and while waiting (at least every 50 ms);
    // when it returns true the wait ends without a unit and Acquire returns false.
    virtual bool Acquire(const std::function<bool()>& cancelled = {}) = 0;
    // Gives one unit back. Only a unit this process acquired may be released: a release without
    // a unit held through this object is ignored, so a second release can never grow the pool.
    virtual void Release() = 0;
};

// Processors, at least 2: the size of a pool created by OpenNamedSemaphore.
int DefaultSlotCount();

// Opens (creating on first use) the system-wide semaphore with this name. Units held by a process
// come back when it ends, however it ends. Initial count: `initial_count` when positive, else
// DefaultSlotCount(); it is only used by the opener that creates the semaphore. Units still held
// through the returned object when it is destroyed are given back. Throws vc::Error when the
// operating system refuses.
std::unique_ptr<TSemaphore> OpenNamedSemaphore(const std::string& name, int initial_count = 0);
inline std::unique_ptr<TSemaphore> OpenThreadSem() {
    return OpenNamedSemaphore("ThreadSem");
}

// Free units of the named semaphore, or -1 when it does not exist (diagnostics and tests).
int NamedSemaphoreValue(const std::string& name);
// Removes the named semaphore from the system; true when it existed. Waiters in other processes
// fail. Meant for tests, which use names of their own.
bool RemoveNamedSemaphore(const std::string& name);

} // namespace vc
