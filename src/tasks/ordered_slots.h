#pragma once
// Conversion slots taken in the order the runs were started. The slot pool itself wakes its
// waiters in no particular order, and a run opens its files before it asks for a slot, so the
// tasks of one batch would start in a different order each time. A ticket, drawn on the main thread
// when a run starts, makes its first wait for a slot come after the waits of every run of this
// process that started earlier and is still waiting.
#include "platform/thread_sem.h"

#include <cstdint>
#include <memory>

namespace vc {

class SlotTicket final : public TSemaphore {
public:
    // A ticket for the next run on `pool` (not owned; it outlives the ticket).
    explicit SlotTicket(TSemaphore* pool);
    ~SlotTicket() override;
    SlotTicket(const SlotTicket&) = delete;
    SlotTicket& operator=(const SlotTicket&) = delete;

    // The first call waits for its turn, then for a unit of the pool; later calls (after a pause)
    // wait for the pool only.
    bool Acquire(const std::function<bool()>& cancelled = {}) override;
    void Release() override;
    // Gives up the turn (the run ended without asking for a slot, or will not ask again).
    void Withdraw();

private:
    TSemaphore* pool_;
    std::uint64_t number_;
};

} // namespace vc
