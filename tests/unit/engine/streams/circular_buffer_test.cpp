#include "engine/streams/circular_buffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

namespace vc {
namespace {

std::vector<uint8_t> Bytes(int n, int first = 0) {
    std::vector<uint8_t> v(static_cast<size_t>(n));
    std::iota(v.begin(), v.end(), static_cast<uint8_t>(first));
    return v;
}

TEST(CircularBuffer, KeepsOneByteFreeAndWrapsAround) {
    TCircularBuffer ring(10);
    auto ten = Bytes(10);
    EXPECT_FALSE(ring.WriteData(ten.data(), 10));
    EXPECT_EQ(ring.DataCount(true), 0);
    ASSERT_TRUE(ring.WriteData(ten.data(), 9));
    EXPECT_EQ(ring.DataCount(true), 9);
    EXPECT_EQ(ring.FreeSpace(true), 1);

    std::vector<uint8_t> out(10, 0xEE);
    EXPECT_FALSE(ring.ReadData(out.data(), 10));
    EXPECT_EQ(out[0], 0xEE) << "a refused read copies nothing";
    ASSERT_TRUE(ring.ReadData(out.data(), 9));
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 9), Bytes(9));
    EXPECT_EQ(ring.DataCount(true), 0);
    EXPECT_EQ(ring.FreeSpace(true), 10);

    // Positions are at 9: five bytes go to offset 9, then 0..3, and come back in order.
    auto five = Bytes(5, 100);
    ASSERT_TRUE(ring.WriteData(five.data(), 5));
    EXPECT_EQ(ring.DataCount(true), 5);
    EXPECT_EQ(ring.FreeSpace(true), 5);
    std::vector<uint8_t> got(5);
    ASSERT_TRUE(ring.ReadData(got.data(), 5));
    EXPECT_EQ(got, five);
}

TEST(CircularBuffer, ShortReadLeavesDataForASmallerRead) {
    TCircularBuffer ring(16);
    auto six = Bytes(6, 1);
    ASSERT_TRUE(ring.WriteData(six.data(), 6));
    std::vector<uint8_t> out(8);
    EXPECT_FALSE(ring.ReadData(out.data(), 7));
    EXPECT_EQ(ring.DataCount(true), 6);
    ASSERT_TRUE(ring.ReadData(out.data(), 4));
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 4), Bytes(4, 1));
    ASSERT_TRUE(ring.ReadData(out.data(), 2));
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[1], 6);
}

TEST(CircularBuffer, ReadPositionMayReachTheEndOfStorage) {
    TCircularBuffer ring(10);
    std::vector<uint8_t> out(10);
    auto a = Bytes(9);
    ASSERT_TRUE(ring.WriteData(a.data(), 9));
    ASSERT_TRUE(ring.ReadData(out.data(), 4)); // read 4, write 9
    auto b = Bytes(4, 50);
    ASSERT_TRUE(ring.WriteData(b.data(), 4));  // write wraps to 3
    ASSERT_TRUE(ring.ReadData(out.data(), 6)); // read lands exactly on 10
    EXPECT_EQ(out[5], 50);
    EXPECT_EQ(ring.DataCount(true), 3);
    EXPECT_EQ(ring.FreeSpace(true), 7);
    EXPECT_FALSE(ring.WriteData(out.data(), 7));
    auto c = Bytes(6, 60);
    ASSERT_TRUE(ring.WriteData(c.data(), 6));
    EXPECT_EQ(ring.DataCount(true), 9);
    ASSERT_TRUE(ring.ReadData(out.data(), 9));
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 3), Bytes(3, 51));
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 3, out.begin() + 9), c);
}

TEST(CircularBuffer, ClearEmptiesTheRing) {
    TCircularBuffer ring(32);
    auto data = Bytes(20);
    ASSERT_TRUE(ring.WriteData(data.data(), 20));
    ring.Clear();
    EXPECT_EQ(ring.DataCount(true), 0);
    EXPECT_EQ(ring.FreeSpace(true), 32);
    std::vector<uint8_t> out(1);
    EXPECT_FALSE(ring.ReadData(out.data(), 1));
}

// One producer and one consumer with chunk sizes that do not divide the capacity, so every
// wrap-around case is met many times; the consumer checks every byte's place in the sequence.
TEST(CircularBuffer, ProducerAndConsumerThreadsDeliverEveryByteInOrder) {
    constexpr int kCapacity = 1000;
    constexpr int64_t kTotal = 3'000'000;
    TCircularBuffer ring(kCapacity);
    std::thread producer([&] {
        std::vector<uint8_t> chunk(97);
        int64_t sent = 0;
        while (sent < kTotal) {
            const int n = static_cast<int>(std::min<int64_t>(97 - sent % 13, kTotal - sent));
            for (int i = 0; i < n; ++i)
                chunk[i] = static_cast<uint8_t>((sent + i) % 251);
            if (ring.WriteData(chunk.data(), n))
                sent += n;
            else
                std::this_thread::yield();
        }
    });
    std::vector<uint8_t> chunk(61);
    int64_t received = 0;
    int64_t mismatches = 0;
    while (received < kTotal) {
        const int n = static_cast<int>(std::min<int64_t>(61 - received % 7, kTotal - received));
        if (!ring.ReadData(chunk.data(), n)) {
            std::this_thread::yield();
            continue;
        }
        for (int i = 0; i < n; ++i)
            mismatches += chunk[i] != static_cast<uint8_t>((received + i) % 251);
        received += n;
    }
    producer.join();
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(ring.DataCount(true), 0);
}

} // namespace
} // namespace vc
