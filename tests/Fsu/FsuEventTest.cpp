// Pushed events and data: which message reaches which callback, the
// pointer forms' context, clearing, replacing, and the slots' lifetime.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "FsuTest.h"

using namespace fsutest;
using tsltest::SimLogin;

namespace {

struct Delivery {
    int handle;
    Bytes record;
    void* context;
};

class Recorder {
  public:
    void Add(const std::string& slot, int handle, const void* record, size_t size, void* context = nullptr) {
        std::lock_guard<std::mutex> lock(mutex_);
        const uint8_t* p = static_cast<const uint8_t*>(record);
        got_[slot].push_back({handle, Bytes(p, p + size), context});
        ++total_;
    }
    size_t Total() {
        std::lock_guard<std::mutex> lock(mutex_);
        return total_;
    }
    std::vector<Delivery> Of(const std::string& slot) {
        std::lock_guard<std::mutex> lock(mutex_);
        return got_[slot];
    }

  private:
    std::mutex mutex_;
    std::map<std::string, std::vector<Delivery>> got_;
    size_t total_ = 0;
};

Recorder* gRecorder = nullptr;  // for the plain-function callbacks

template <class T>
std::function<void(int, T)> RecordTo(Recorder& r, const char* slot) {
    return [&r, slot](int handle, T record) { r.Add(slot, handle, &record, sizeof record); };
}

void OnEventPtr(int h, Np_FsuEventInfo* e, void* c) {
    gRecorder->Add("event", h, e, sizeof *e, c);
}
void OnModbusPtr(int h, const Np_FsuModbusData* d, void* c) {
    gRecorder->Add("modbus", h, d, sizeof *d, c);
}
void OnAnalogPtr(int h, const Np_FsuAnalogData* d, void* c) {
    gRecorder->Add("analog", h, d, sizeof *d, c);
}
void OnInputPtr(int h, const Np_FsuInputData* d, void* c) {
    gRecorder->Add("input", h, d, sizeof *d, c);
}
void OnOutputPtr(int h, const Np_FsuOutputData* d, void* c) {
    gRecorder->Add("output", h, d, sizeof *d, c);
}

struct Push {
    uint32_t cmd;
    size_t size;
    const char* slot;  // null: must be dropped
};

const Push kValid[] = {
    {1800, 80, "event"},  {4800, 448, "modbus"}, {4801, 848, "analog"},
    {4802, 544, "input"}, {4803, 576, "output"},
};

TEST(FsuEvents, EachRecordReachesItsOwnCallbackOnly) {
    Recorder r;  // outlives the device
    SimLogin sim(kFsu);
    ASSERT_EQ(0, TSL_NET_FSU_SetEventCallback(sim.handle, RecordTo<Np_FsuEventInfo>(r, "event")));
    ASSERT_EQ(0, TSL_NET_FSU_SetModbusDataCallback(sim.handle, RecordTo<Np_FsuModbusData>(r, "modbus")));
    ASSERT_EQ(0, TSL_NET_FSU_SetAnalogDataCallback(sim.handle, RecordTo<Np_FsuAnalogData>(r, "analog")));
    ASSERT_EQ(0, TSL_NET_FSU_SetInputDataCallback(sim.handle, RecordTo<Np_FsuInputData>(r, "input")));
    ASSERT_EQ(0, TSL_NET_FSU_SetOutputDataCallback(sim.handle, RecordTo<Np_FsuOutputData>(r, "output")));

    const Push pushes[] = {
        {1800, 80, "event"},  {1800, 79, nullptr},   {1800, 81, nullptr},  {4800, 448, "modbus"},
        {4800, 449, nullptr}, {4801, 848, "analog"}, {4801, 448, nullptr}, {4802, 544, "input"},
        {4802, 543, nullptr}, {4803, 576, "output"}, {4803, 80, nullptr},  {4804, 576, nullptr},
        {1801, 80, nullptr},  {4805, 448, nullptr},
    };
    size_t expected = 0;
    for (size_t i = 0; i < std::size(pushes); ++i) {
        sim.server->Push(pushes[i].cmd, Pattern(pushes[i].size, static_cast<uint8_t>(i)));
        if (pushes[i].slot) ++expected;
    }
    ASSERT_TRUE(WaitUntil([&] { return r.Total() >= expected; }));
    std::this_thread::sleep_for(kQuiet);
    EXPECT_EQ(expected, r.Total());
    for (size_t i = 0; i < std::size(pushes); ++i) {
        if (!pushes[i].slot) continue;
        SCOPED_TRACE(pushes[i].slot);
        auto got = r.Of(pushes[i].slot);
        ASSERT_EQ(1u, got.size());
        EXPECT_EQ(sim.handle, got[0].handle);
        EXPECT_EQ(Pattern(pushes[i].size, static_cast<uint8_t>(i)), got[0].record);
    }
}

TEST(FsuEvents, PointerFormsKeepTheContextOfRegistration) {
    Recorder r;  // outlives the device
    SimLogin sim(kFsu);
    gRecorder = &r;
    int first = 0, second = 0;
    ASSERT_EQ(0, TSL_NET_DEV_SetContext(sim.handle, &first));
    ASSERT_EQ(0, TSL_NET_FSU_SetEventCallbackFull(sim.handle, &OnEventPtr));
    ASSERT_EQ(0, TSL_NET_FSU_SetModbusDataCallback(sim.handle, &OnModbusPtr));
    ASSERT_EQ(0, TSL_NET_FSU_SetAnalogDataCallback(sim.handle, &OnAnalogPtr));
    ASSERT_EQ(0, TSL_NET_FSU_SetInputDataCallback(sim.handle, &OnInputPtr));
    ASSERT_EQ(0, TSL_NET_FSU_SetOutputDataCallback(sim.handle, &OnOutputPtr));
    ASSERT_EQ(0, TSL_NET_DEV_SetContext(sim.handle, &second));
    // The full subscription asks with mode 2.
    Bytes subscribe(32, 0);
    subscribe[0] = 2;
    EXPECT_EQ(subscribe, sim.LastPayload(1036));

    for (const Push& p : kValid) sim.server->Push(p.cmd, Pattern(p.size, 9));
    ASSERT_TRUE(WaitUntil([&] { return r.Total() >= std::size(kValid); }));
    for (const Push& p : kValid) {
        SCOPED_TRACE(p.slot);
        auto got = r.Of(p.slot);
        ASSERT_EQ(1u, got.size());
        EXPECT_EQ(&first, got[0].context);
        EXPECT_EQ(sim.handle, got[0].handle);
        EXPECT_EQ(Pattern(p.size, 9), got[0].record);
    }
    TSL_NET_DEV_Logout(sim.handle);
    sim.handle = 0;
    gRecorder = nullptr;
}

TEST(FsuEvents, ClearingADataSlotSendsNothingAndUnsubscribingKeepsTheDataSlots) {
    Recorder r;  // outlives the device
    SimLogin sim(kFsu);
    ASSERT_EQ(0, TSL_NET_FSU_SetEventCallback(sim.handle, RecordTo<Np_FsuEventInfo>(r, "event")));
    ASSERT_EQ(0, TSL_NET_FSU_SetModbusDataCallback(sim.handle, RecordTo<Np_FsuModbusData>(r, "modbus")));
    ASSERT_EQ(0, TSL_NET_FSU_SetAnalogDataCallback(sim.handle, RecordTo<Np_FsuAnalogData>(r, "analog")));
    ASSERT_EQ(0, TSL_NET_FSU_SetInputDataCallback(sim.handle, RecordTo<Np_FsuInputData>(r, "input")));
    const size_t before = OperationCount(*sim.server);
    EXPECT_EQ(0,
              TSL_NET_FSU_SetModbusDataCallback(sim.handle, static_cast<TSL_FsuModbusDataCallback>(nullptr)));
    EXPECT_EQ(0, TSL_NET_FSU_SetInputDataCallback(sim.handle, std::function<void(int, Np_FsuInputData)>()));
    EXPECT_EQ(before, OperationCount(*sim.server));

    EXPECT_EQ(0, TSL_NET_FSU_SetEventCallback(sim.handle, static_cast<TSL_FsuEventCallback>(nullptr)));
    auto unsubscribe = sim.server->RequestsFor(1037);
    ASSERT_EQ(1u, unsubscribe.size());
    EXPECT_TRUE(unsubscribe[0].plain.empty());

    for (const Push& p : kValid) sim.server->Push(p.cmd, Pattern(p.size, 1));
    ASSERT_TRUE(WaitUntil([&] { return r.Total() >= 1; }));
    std::this_thread::sleep_for(kQuiet);
    EXPECT_EQ(1u, r.Total());
    EXPECT_EQ(1u, r.Of("analog").size());
}

// Once the setter has returned, the replaced callback is not called again,
// even with deliveries running meanwhile.
TEST(FsuEvents, AReplacedDataCallbackIsNeverCalledAfterItsSetterReturned) {
    // Shared with the callbacks, which may still run after the test's end.
    struct Counts {
        std::atomic<bool> retired{false};
        std::atomic<int> oldCalls{0}, newCalls{0}, late{0};
    };
    auto n = std::make_shared<Counts>();
    SimLogin sim(kFsu);
    ASSERT_EQ(0, TSL_NET_FSU_SetInputDataCallback(sim.handle, [n](int, Np_FsuInputData) {
                  ++n->oldCalls;
                  std::this_thread::sleep_for(1ms);
                  if (n->retired) ++n->late;
              }));
    const Bytes payload(544, 0x5A);
    for (int i = 0; i < 200; ++i) sim.server->Push(4802, payload);
    ASSERT_TRUE(WaitUntil([&] { return n->oldCalls >= 5; }));
    ASSERT_EQ(0, TSL_NET_FSU_SetInputDataCallback(sim.handle, [n](int, Np_FsuInputData) { ++n->newCalls; }));
    n->retired = true;
    for (int i = 0; i < 20; ++i) sim.server->Push(4802, payload);
    ASSERT_TRUE(WaitUntil([&] { return n->newCalls >= 1; }));
    EXPECT_EQ(0, n->late.load());
}

// A token in a callback tells when its slot has let go of it.
class Token {
  public:
    explicit Token(std::function<void()> gone) : gone_(std::move(gone)) {}
    Token(const Token&) = delete;
    Token& operator=(const Token&) = delete;
    ~Token() { gone_(); }

  private:
    std::function<void()> gone_;
};

TEST(FsuEvents, PointerFormDataCallbacksDoNotKeepTheirDeviceAlive) {
    std::atomic<bool> released{false};
    {
        SimLogin sim(kFsu);
        auto token = std::make_shared<Token>([&] { released = true; });
        ASSERT_EQ(0, TSL_NET_FSU_SetEventCallback(sim.handle, [token](int, Np_FsuEventInfo) {}));
        token.reset();
        ASSERT_EQ(0, TSL_NET_FSU_SetModbusDataCallback(sim.handle, &OnModbusPtr));
        ASSERT_EQ(0, TSL_NET_FSU_SetAnalogDataCallback(sim.handle, &OnAnalogPtr));
        ASSERT_EQ(0, TSL_NET_FSU_SetInputDataCallback(sim.handle, &OnInputPtr));
        ASSERT_EQ(0, TSL_NET_FSU_SetOutputDataCallback(sim.handle, &OnOutputPtr));
        ASSERT_EQ(0, TSL_NET_DEV_Logout(sim.handle));
        sim.handle = 0;
        // The device goes, and with it the event slot's token.
        EXPECT_TRUE(WaitUntil([&] { return released.load(); }));
    }
}

TEST(FsuEvents, SlotsAreReleasedOutputFirstEventLast) {
    std::mutex mutex;
    std::vector<std::string> order;
    auto token = [&](const char* name) {
        return std::make_shared<Token>([&, name] {
            std::lock_guard<std::mutex> lock(mutex);
            order.push_back(name);
        });
    };
    {
        SimLogin sim(kFsu);
        auto e = token("event"), m = token("modbus"), a = token("analog"), i = token("input"),
             o = token("output");
        ASSERT_EQ(0, TSL_NET_FSU_SetEventCallback(sim.handle, [e](int, Np_FsuEventInfo) {}));
        ASSERT_EQ(0, TSL_NET_FSU_SetModbusDataCallback(sim.handle, [m](int, Np_FsuModbusData) {}));
        ASSERT_EQ(0, TSL_NET_FSU_SetAnalogDataCallback(sim.handle, [a](int, Np_FsuAnalogData) {}));
        ASSERT_EQ(0, TSL_NET_FSU_SetInputDataCallback(sim.handle, [i](int, Np_FsuInputData) {}));
        ASSERT_EQ(0, TSL_NET_FSU_SetOutputDataCallback(sim.handle, [o](int, Np_FsuOutputData) {}));
        e.reset(), m.reset(), a.reset(), i.reset(), o.reset();
        ASSERT_EQ(0, TSL_NET_DEV_Logout(sim.handle));
        sim.handle = 0;
    }
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return order.size() == 5;
    }));
    EXPECT_EQ((std::vector<std::string>{"output", "input", "analog", "modbus", "event"}), order);
}

}  // namespace
