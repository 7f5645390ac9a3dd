#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <new>
#include <thread>

#include "Base/CallbackSlot.h"

using namespace std::chrono_literals;

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

TEST(CallbackSlot, DeliveryAllocatesNothing) {
    tsl::CallbackSlot<std::function<void(int, long)>> slot;
    long sum = 0;
    slot.Set([&sum](int, long v) { sum += v; });
    slot.Invoke(0, 0L);  // the first call on a thread sets up its bookkeeping
    long before = g_allocations.load();
    for (long i = 0; i < 1000; ++i) slot.Invoke(1, i);
    EXPECT_EQ(before, g_allocations.load());
    EXPECT_EQ(499500, sum);
}

TEST(CallbackSlot, SetWaitsForTheCallInProgressAndNeverCallsTheOldOneAfter) {
    tsl::CallbackSlot<std::function<void()>> slot;
    std::atomic<bool> inside{false}, oldDone{false}, oldCalledLate{false}, setReturned{false};
    slot.Set([&] {
        if (setReturned) oldCalledLate = true;
        inside = true;
        std::this_thread::sleep_for(100ms);
        oldDone = true;
    });
    std::thread caller([&] { slot.Invoke(); });
    while (!inside) std::this_thread::yield();
    slot.Set([] {});
    setReturned = true;
    EXPECT_TRUE(oldDone.load());
    slot.Invoke();
    caller.join();
    EXPECT_FALSE(oldCalledLate.load());
}

TEST(CallbackSlot, CallbackReplacingItselfDoesNotWaitForItself) {
    tsl::CallbackSlot<std::function<void()>> slot;
    int calls = 0;
    slot.Set([&] {
        ++calls;
        slot.Set({});
    });
    EXPECT_TRUE(slot.Invoke());
    EXPECT_FALSE(slot.Invoke());
    EXPECT_EQ(1, calls);
}
