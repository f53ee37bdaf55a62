#include "platform/thread_sem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <future>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vc {

namespace {

using namespace std::chrono_literals;

// A name of this test run alone, so a real "ThreadSem" is never touched; removed afterwards.
class NamedSemaphoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = "vc-test-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RemoveNamedSemaphore(name_);
    }
    void TearDown() override { RemoveNamedSemaphore(name_); }

    std::string name_;
};

// A one-byte pipe between parent and child, both ways.
struct Channel {
    int to_child[2]{-1, -1};
    int to_parent[2]{-1, -1};
    Channel() {
        if (pipe(to_child) != 0 || pipe(to_parent) != 0)
            ADD_FAILURE() << "pipe failed";
    }
    ~Channel() {
        for (int fd : {to_child[0], to_child[1], to_parent[0], to_parent[1]})
            if (fd >= 0)
                close(fd);
    }
    void Tell(int fd, char c) { ASSERT_EQ(write(fd, &c, 1), 1); }
    char Hear(int fd) {
        char c = 0;
        return read(fd, &c, 1) == 1 ? c : 0;
    }
};

// A wait that gives up, so a broken pool fails a test instead of hanging it.
std::function<bool()> GiveUpAfter(std::chrono::milliseconds limit) {
    return
        [end = std::chrono::steady_clock::now() + limit] { return std::chrono::steady_clock::now() > end; };
}

// Kills a forked child that is still alive when the test leaves early.
struct ChildGuard {
    pid_t pid;
    ~ChildGuard() {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

int WaitExit(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

} // namespace

TEST_F(NamedSemaphoreTest, CountsUnitsAndSharesThePoolBetweenOpeners) {
    auto sem = OpenNamedSemaphore(name_, 3);
    EXPECT_EQ(NamedSemaphoreValue(name_), 3);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(sem->Acquire());
    EXPECT_EQ(NamedSemaphoreValue(name_), 0);

    // A second opener gets the same pool; its own count only matters to a creator.
    auto other = OpenNamedSemaphore(name_, 10);
    EXPECT_FALSE(other->Acquire(GiveUpAfter(150ms)));
    sem->Release();
    EXPECT_EQ(NamedSemaphoreValue(name_), 1);
    EXPECT_TRUE(other->Acquire());
    EXPECT_EQ(NamedSemaphoreValue(name_), 0);

    // Releasing more than was taken through an object never grows the pool.
    for (int i = 0; i < 5; ++i)
        other->Release();
    EXPECT_EQ(NamedSemaphoreValue(name_), 1);

    // Units still held when the object goes away come back.
    sem.reset();
    EXPECT_EQ(NamedSemaphoreValue(name_), 3);
}

TEST_F(NamedSemaphoreTest, DefaultCountIsProcessorsButAtLeastTwo) {
    EXPECT_GE(DefaultSlotCount(), 2);
    EXPECT_GE(DefaultSlotCount(), static_cast<int>(std::thread::hardware_concurrency()));
    auto sem = OpenNamedSemaphore(name_);
    EXPECT_EQ(NamedSemaphoreValue(name_), DefaultSlotCount());
    EXPECT_EQ(NamedSemaphoreValue("vc-test-never-opened-" + name_), -1);
}

TEST_F(NamedSemaphoreTest, WaitEndsWhenAUnitComesBackOrWhenCancelled) {
    auto sem = OpenNamedSemaphore(name_, 1);
    ASSERT_TRUE(sem->Acquire());

    auto waiter = std::async(std::launch::async, [&] { return sem->Acquire(); });
    EXPECT_EQ(waiter.wait_for(200ms), std::future_status::timeout);
    sem->Release();
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(waiter.get());

    // A cancelled wait ends promptly and takes nothing.
    std::atomic<bool> stop{false};
    auto cancelled =
        std::async(std::launch::async, [&] { return sem->Acquire([&] { return stop.load(); }); });
    EXPECT_EQ(cancelled.wait_for(200ms), std::future_status::timeout);
    const auto stopped_at = std::chrono::steady_clock::now();
    stop = true;
    ASSERT_EQ(cancelled.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(cancelled.get());
    EXPECT_LT(std::chrono::steady_clock::now() - stopped_at, 1s);
    EXPECT_EQ(NamedSemaphoreValue(name_), 0);

    // Already cancelled: no wait and no unit, even when one is free.
    sem->Release();
    EXPECT_FALSE(sem->Acquire([] { return true; }));
    EXPECT_EQ(NamedSemaphoreValue(name_), 1);
}

TEST_F(NamedSemaphoreTest, TwoProcessesShareThePoolAndAWorkerThreadUnitIsReleasedOnAnother) {
    auto sem = OpenNamedSemaphore(name_, 3);
    Channel ch;
    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        // The child takes one unit on a thread that then ends: the unit must stay taken (undo is
        // per process), and the main thread gives it back.
        auto child = OpenNamedSemaphore(name_);
        bool taken = false;
        std::thread worker([&] { taken = child->Acquire(GiveUpAfter(5s)); });
        worker.join();
        const bool held_after_thread_end = taken && NamedSemaphoreValue(name_) == 2;
        const bool second = child->Acquire(GiveUpAfter(5s));
        ch.Tell(ch.to_parent[1], held_after_thread_end && second ? 'y' : 'n');
        ch.Hear(ch.to_child[0]);
        child->Release(); // one back by hand, one by the exit
        ch.Tell(ch.to_parent[1], 'r');
        ch.Hear(ch.to_child[0]);
        _exit(0);
    }
    ChildGuard guard{pid};
    EXPECT_EQ(ch.Hear(ch.to_parent[0]), 'y');
    EXPECT_EQ(NamedSemaphoreValue(name_), 1);
    ASSERT_TRUE(sem->Acquire());
    EXPECT_EQ(NamedSemaphoreValue(name_), 0);
    ch.Tell(ch.to_child[1], 'g');
    EXPECT_EQ(ch.Hear(ch.to_parent[0]), 'r');
    EXPECT_EQ(NamedSemaphoreValue(name_), 1);
    ch.Tell(ch.to_child[1], 'x');
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_EQ(NamedSemaphoreValue(name_), 2);
    sem->Release();
    EXPECT_EQ(NamedSemaphoreValue(name_), 3);
}

TEST_F(NamedSemaphoreTest, KilledHolderGivesItsUnitsBackAndWakesAWaiter) {
    auto sem = OpenNamedSemaphore(name_, 2);
    Channel ch;
    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        auto child = OpenNamedSemaphore(name_);
        const bool both = child->Acquire(GiveUpAfter(5s)) && child->Acquire(GiveUpAfter(5s));
        ch.Tell(ch.to_parent[1], both ? 'h' : 'n');
        for (;;)
            pause();
    }
    ChildGuard guard{pid};
    ASSERT_EQ(ch.Hear(ch.to_parent[0]), 'h');
    EXPECT_EQ(NamedSemaphoreValue(name_), 0);

    std::atomic<bool> give_up{false};
    auto waiter =
        std::async(std::launch::async, [&] { return sem->Acquire([&] { return give_up.load(); }); });
    EXPECT_EQ(waiter.wait_for(200ms), std::future_status::timeout);
    kill(pid, SIGKILL);
    const int status = WaitExit(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    const bool woke = waiter.wait_for(5s) == std::future_status::ready;
    give_up = true;
    EXPECT_TRUE(woke);
    EXPECT_TRUE(waiter.get());
    EXPECT_EQ(NamedSemaphoreValue(name_), 1);
    sem->Release();
    EXPECT_EQ(NamedSemaphoreValue(name_), 2);
}

TEST_F(NamedSemaphoreTest, SimultaneousFirstOpenersCreateOnePool) {
    constexpr int kOpeners = 4;
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kOpeners; ++i) {
        const pid_t pid = fork();
        ASSERT_NE(pid, -1);
        if (pid == 0) {
            close(gate[1]);
            char c;
            (void)!read(gate[0], &c, 1); // returns when the parent closes the gate
            try {
                auto sem = OpenNamedSemaphore(name_, 3);
                _exit(sem->Acquire(GiveUpAfter(5s)) ? 0 : 1);
            } catch (...) {
                _exit(2);
            }
        }
        children.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);
    for (pid_t pid : children) {
        ChildGuard guard{pid};
        const int status = WaitExit(pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Had two of them created and filled the set, it would now hold 6.
    EXPECT_EQ(NamedSemaphoreValue(name_), 3);
}

} // namespace vc
