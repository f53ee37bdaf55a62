// Calls a worker runs on its owner thread: each runs exactly once, on the owner thread, whether
// the owner waits in WaitUntil or runs an event loop; exceptions come back to the worker.
#include "engine/converter/owner_calls.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vc {
namespace {

TEST(OwnerCalls, EveryCallRunsOnceOnTheOwnerWhileItWaits) {
    QObject owner;
    OwnerCalls calls(&owner);
    const auto owner_thread = std::this_thread::get_id();
    for (int round = 0; round < 2; ++round) { // a second worker on the same queue
        std::atomic<bool> done{false};
        int ran = 0;
        bool all_on_owner = true;
        std::thread worker([&] {
            for (int i = 0; i < 300; ++i)
                calls.Run([&] {
                    ++ran;
                    all_on_owner = all_on_owner && std::this_thread::get_id() == owner_thread;
                });
            done = true;
            calls.Notify();
        });
        EXPECT_TRUE(calls.WaitUntil([&] { return done.load(); }, 20000));
        worker.join();
        EXPECT_EQ(ran, 300);
        EXPECT_TRUE(all_on_owner);
    }
}

TEST(OwnerCalls, ExceptionsReachTheWorkerAndTimeoutsEndTheWait) {
    QObject owner;
    OwnerCalls calls(&owner);
    std::string caught;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            calls.Run([] { throw std::runtime_error("handler failed"); });
        } catch (const std::exception& e) {
            caught = e.what();
        }
        done = true;
    });
    EXPECT_TRUE(calls.WaitUntil([&] { return done.load(); }, 20000));
    worker.join();
    EXPECT_EQ(caught, "handler failed");
    EXPECT_FALSE(calls.WaitUntil([] { return false; }, 30)); // nothing to wait for: gives up
}

TEST(OwnerCalls, AnEventLoopRunsTheCallsToo) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QObject owner;
    OwnerCalls calls(&owner);
    int ran = 0;
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i)
            calls.Run([&] { ++ran; });
        QCoreApplication::postEvent(&app, new QEvent(QEvent::Quit)); // a plain event crosses threads
    });
    QTimer::singleShot(20000, &app, &QCoreApplication::quit);
    app.exec();
    worker.join();
    EXPECT_EQ(ran, 50);
}

// Posted calls do not wait for the owner, and run in order with the waited-for ones.
TEST(OwnerCalls, PostedCallsNeverHoldTheWorkerAndKeepTheirOrder) {
    QObject owner;
    OwnerCalls calls(&owner);
    std::vector<int> order;
    std::atomic<bool> posted{false};
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            calls.Post([&order, i] { order.push_back(i); });
        posted = true;
        calls.Run([&] { order.push_back(100); });
    });
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!posted && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(posted.load()); // all 100 queued while the owner ran none
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(calls.WaitUntil([&] { return order.size() == 101; }, 20000));
    worker.join();
    for (int i = 0; i <= 100; ++i)
        ASSERT_EQ(order[i], i);
}

} // namespace
} // namespace vc
