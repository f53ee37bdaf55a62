#include "tasks/ordered_slots.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace vc {
namespace {

// A pool whose units the test hands out one at a time.
class ManualPool final : public TSemaphore {
public:
    bool Acquire(const std::function<bool()>& cancelled) override {
        for (;;) {
            if (cancelled && cancelled())
                return false;
            {
                std::lock_guard lock(mutex_);
                if (free_ > 0) {
                    --free_;
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    void Release() override { Give(); }
    void Give() {
        std::lock_guard lock(mutex_);
        ++free_;
    }

private:
    std::mutex mutex_;
    int free_ = 0;
};

// Runs that reach their wait in the reverse order still get the pool's units in the order their
// tickets were drawn; a ticket given up without waiting holds nobody back.
TEST(SlotTicket, UnitsGoInTheOrderTheTicketsWereDrawn) {
    ManualPool pool;
    std::vector<std::unique_ptr<SlotTicket>> tickets;
    for (int i = 0; i < 4; ++i)
        tickets.push_back(std::make_unique<SlotTicket>(&pool));
    tickets[2]->Withdraw(); // a run that failed before it asked for a slot
    std::mutex mutex;
    std::vector<int> order;
    std::vector<std::thread> runs;
    for (int i : {3, 1, 0}) {
        runs.emplace_back([&, i] {
            if (tickets[i]->Acquire()) {
                std::lock_guard lock(mutex);
                order.push_back(i);
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (int i = 0; i < 3; ++i) {
        pool.Give();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (auto& run : runs)
        run.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 3}));
}

TEST(SlotTicket, ACancelledWaitLetsTheNextOneGo) {
    ManualPool pool;
    SlotTicket first(&pool);
    SlotTicket second(&pool);
    EXPECT_FALSE(first.Acquire([] { return true; }));
    pool.Give();
    EXPECT_TRUE(second.Acquire());
}

} // namespace
} // namespace vc
