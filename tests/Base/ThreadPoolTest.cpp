#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "Base/ThreadPool.h"

using namespace std::chrono_literals;
using tsl::ThreadPool;

namespace {
// A gate the test opens; tasks block on it.
struct Gate {
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
    int waiting = 0;
    void Wait() {
        std::unique_lock<std::mutex> lock(m);
        ++waiting;
        cv.notify_all();
        cv.wait(lock, [&] { return open; });
    }
    bool WaitForWaiting(int n, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, limit, [&] { return waiting >= n; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(m);
        open = true;
        cv.notify_all();
    }
};
}  // namespace

TEST(ThreadPool, TasksStartInOrderOfEnqueue) {
    testing::internal::CaptureStdout();
    {
        ThreadPool pool(1);
        std::vector<int> order;
        std::vector<std::future<void>> done;
        for (int i = 0; i < 50; ++i) done.push_back(pool.Enqueue([&order, i] { order.push_back(i); }));
        for (auto& f : done) f.get();
        for (int i = 0; i < 50; ++i) EXPECT_EQ(i, order[static_cast<size_t>(i)]);
    }
    EXPECT_EQ("join thread ", testing::internal::GetCapturedStdout().substr(0, 12));
}

TEST(ThreadPool, SeventeenthLongTaskWaitsForAFreeWorker) {
    testing::internal::CaptureStdout();
    {
        ThreadPool pool(16);
        Gate gate;
        std::atomic<int> started{0};
        std::vector<std::future<void>> done;
        for (int i = 0; i < 17; ++i)
            done.push_back(pool.Enqueue([&] {
                ++started;
                gate.Wait();
            }));
        ASSERT_TRUE(gate.WaitForWaiting(16, 5s));
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(16, started.load());
        gate.Open();
        for (auto& f : done) f.get();
        EXPECT_EQ(17, started.load());
    }
    std::string out = testing::internal::GetCapturedStdout();
    size_t lines = 0;
    for (size_t p = out.find("join thread "); p != std::string::npos; p = out.find("join thread ", p + 1))
        ++lines;
    EXPECT_EQ(16u, lines);
}

TEST(ThreadPool, ThrowingTaskKeepsItsWorker) {
    testing::internal::CaptureStdout();
    {
        ThreadPool pool(1);
        auto bad = pool.Enqueue([]() -> int { throw std::runtime_error("boom"); });
        auto good = pool.Enqueue([](int x) { return x * 2; }, 21);
        EXPECT_THROW(bad.get(), std::runtime_error);
        EXPECT_EQ(42, good.get());
    }
    testing::internal::GetCapturedStdout();
}

TEST(ThreadPool, EnqueueAfterStopRunsNothing) {
    testing::internal::CaptureStdout();
    ThreadPool pool(2);
    pool.Stop();
    std::atomic<bool> ran{false};
    auto f = pool.Enqueue([&] { ran = true; });
    EXPECT_FALSE(f.valid());
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(ran.load());
    testing::internal::GetCapturedStdout();
}

TEST(ThreadPool, IdlePoolCreatedAndDestroyedRepeatedlyNeverHangs) {
    testing::internal::CaptureStdout();
    for (int i = 0; i < 1000; ++i) ThreadPool pool(2);
    testing::internal::GetCapturedStdout();
}
