#include "tasks/ordered_slots.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

namespace vc {
namespace {

// The tickets still waiting for their turn, by pool; numbers only grow.
struct Turns {
    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t next = 1;
    std::set<std::pair<const TSemaphore*, std::uint64_t>> waiting;

    bool IsFirst(const TSemaphore* pool, std::uint64_t number) const {
        const auto first = waiting.lower_bound({pool, 0});
        return first == waiting.end() || first->first != pool || first->second == number;
    }
};

Turns& TheTurns() {
    static Turns turns;
    return turns;
}

} // namespace

SlotTicket::SlotTicket(TSemaphore* pool) : pool_(pool) {
    Turns& t = TheTurns();
    std::lock_guard lock(t.mutex);
    number_ = t.next++;
    t.waiting.insert({pool_, number_});
}

SlotTicket::~SlotTicket() {
    Withdraw();
}

bool SlotTicket::Acquire(const std::function<bool()>& cancelled) {
    Turns& t = TheTurns();
    {
        std::unique_lock lock(t.mutex);
        while (t.waiting.count({pool_, number_}) != 0 && !t.IsFirst(pool_, number_)) {
            if (cancelled && cancelled()) {
                lock.unlock();
                Withdraw();
                return false;
            }
            t.changed.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    const bool acquired = pool_->Acquire(cancelled);
    Withdraw();
    return acquired;
}

void SlotTicket::Release() {
    pool_->Release();
}

void SlotTicket::Withdraw() {
    Turns& t = TheTurns();
    {
        std::lock_guard lock(t.mutex);
        if (t.waiting.erase({pool_, number_}) == 0)
            return;
    }
    t.changed.notify_all();
}

} // namespace vc
