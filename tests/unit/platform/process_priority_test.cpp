#include "platform/process_priority.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace vc {

TEST(ProcessPriority, LevelsMapToNiceValues) {
    const int expected[] = {19, 10, 0, -5, -10, -20};
    for (int level = 0; level <= 5; ++level)
        EXPECT_EQ(NiceValueForPriorityLevel(level), expected[level]);
    EXPECT_FALSE(NiceValueForPriorityLevel(-1));
    EXPECT_FALSE(NiceValueForPriorityLevel(6));
}

// Runs in a child process so the test program keeps its own priority. The suite may itself run
// under `nice`, so "unchanged" means the nice value the child started with.
TEST(ProcessPriority, AppliesToEveryThreadAndIgnoresBadLevels) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::atomic<pid_t> worker_tid{0};
        std::atomic<bool> done{false};
        std::thread worker([&] {
            worker_tid = static_cast<pid_t>(syscall(SYS_gettid));
            while (!done)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        while (worker_tid == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const int started = CurrentNiceValue();
        int code = 0;
        if (SetProcessPriorityLevel(9) || CurrentNiceValue() != started)
            code = 1; // out of range: nothing changes
        else if (!SetProcessPriorityLevel(1) || CurrentNiceValue() != 10 ||
                 getpriority(PRIO_PROCESS, static_cast<id_t>(worker_tid.load())) != 10)
            code = 2;
        else {
            // Raising the priority again is refused without privileges; either way nothing breaks.
            const bool granted = SetProcessPriorityLevel(4);
            if (granted != (CurrentNiceValue() == -10))
                code = 3;
        }
        done = true;
        worker.join();
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace vc
