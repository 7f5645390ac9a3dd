#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
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

namespace {

// Two deliveries of one callback at once, each through the device's gate and
// the callback's slot; once both are inside, one acts and the other does what
// its role says.
enum class Act { Return, Replace, Close };

struct TwoDeliveries {
    tsl::CallGate gate;
    tsl::CallbackSlot<std::function<void()>> slot;
    std::mutex mutex;
    std::condition_variable cv;
    int entered = 0;
    int finished = 0;
    Act roles[2];

    void Deliver() {
        gate.Pass([&] { slot.Invoke(); });
        std::lock_guard<std::mutex> lock(mutex);
        ++finished;
        cv.notify_all();
    }
    void Inside() {
        int me;
        {
            std::unique_lock<std::mutex> lock(mutex);
            me = entered++;
            cv.notify_all();
            cv.wait_for(lock, 5s, [&] { return entered == 2; });
        }
        switch (roles[me]) {
            case Act::Return:
                std::this_thread::sleep_for(50ms);
                break;
            case Act::Replace:
                slot.Set({});
                break;
            case Act::Close:
                gate.Close();
                break;
        }
    }
};

}  // namespace

TEST(CallbackSlot, DeliveriesThatReplaceOrCloseFromInsideAllReturn) {
    const struct {
        const char* name;
        Act first, second;
    } cases[] = {
        {"one replaces its own callback", Act::Replace, Act::Return},
        {"one closes the gate", Act::Close, Act::Return},
        {"one replaces, the other closes the gate", Act::Replace, Act::Close},
        {"both replace", Act::Replace, Act::Replace},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Left to leak if the deliveries hang, so the threads still find it.
        auto* rig = new TwoDeliveries;
        rig->roles[0] = c.first;
        rig->roles[1] = c.second;
        rig->slot.Set([rig] { rig->Inside(); });
        std::thread a([rig] { rig->Deliver(); }), b([rig] { rig->Deliver(); });
        bool done;
        {
            std::unique_lock<std::mutex> lock(rig->mutex);
            done = rig->cv.wait_for(lock, 5s, [&] { return rig->finished == 2; });
        }
        if (!done) {
            ADD_FAILURE() << "a delivery never returned";
            a.detach();
            b.detach();
            continue;
        }
        a.join();
        b.join();
        // Whatever was done from inside is in force afterwards.
        const bool closed = c.first == Act::Close || c.second == Act::Close;
        EXPECT_NE(closed, rig->gate.Pass([] {}));
        EXPECT_EQ(c.first == Act::Replace, rig->slot.Empty());
        rig->gate.Close();
        delete rig;
    }
}
