// Calls a worker runs on its owner thread: each runs exactly once, on the owner thread, whether
// the owner waits in WaitUntil or runs an event loop; exceptions come back to the worker.
#include "engine/converter/owner_calls.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <stdexcept>
#include <thread>

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
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QTimer::singleShot(20000, &app, &QCoreApplication::quit);
    app.exec();
    worker.join();
    EXPECT_EQ(ran, 50);
}

} // namespace
} // namespace vc
