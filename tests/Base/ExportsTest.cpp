// The device table and the common operations through the exports.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "SimFixture.h"
#include "TslAcc.h"
#include "TslDev.h"

using namespace std::chrono_literals;
using devsim::Bytes;
using devsim::Fault;
using tsltest::BytesOf;
using tsltest::Patterned;
using tsltest::SimLogin;
using tsltest::WaitFor;

namespace {

Bytes Key16(uint16_t id) {
    Bytes b(32, 0);
    b[0] = static_cast<uint8_t>(id);
    b[1] = static_cast<uint8_t>(id >> 8);
    return b;
}

}  // namespace

TEST(Frame, UnknownHandle) {
    Np_Time t;
    EXPECT_EQ(-1, TSL_NET_DEV_GetTime(0, &t));
    EXPECT_EQ(-1, TSL_NET_DEV_GetTime(257, &t));
    EXPECT_EQ(-1, TSL_NET_DEV_SetContext(9, nullptr));
    EXPECT_EQ(-1, TSL_NET_DEV_SetDisconnectCallback(9, std::function<void(int)>([](int) {})));
    EXPECT_EQ(-1, TSL_NET_DEV_StopUpgrade(9));
    EXPECT_EQ(0, TSL_NET_DEV_Init());
    EXPECT_EQ(0, TSL_NET_DEV_SetLogPath(nullptr));
}

// One row per common operation: what it sends and what it reads back.
TEST(CommonOperations, RequestsAndReplies) {
    SimLogin dev(104);
    const int h = dev.handle;
    auto week = Patterned<Np_WeekPlan>(1);
    auto holiday = Patterned<Np_HolidayPlan>(2);
    auto plan = Patterned<Np_PlanTemplate>(3);
    auto info = Patterned<Np_DeviceInfo>(4);
    auto name = Patterned<Np_DeviceNameInfo>(5);
    auto net = Patterned<Np_DeviceNetworkInfo>(6);
    auto rs485 = Patterned<Np_DeviceRs485Info>(7);
    auto ntp = Patterned<Np_NtpInfo>(8);
    auto time = Patterned<Np_Time>(9);
    auto idq = Patterned<Np_IdListQuery>(10);
    auto query = Patterned<Np_EventQuery>(11);
    Bytes pw(32, 0);
    std::memcpy(pw.data(), "0123456789abcde", 15);
    Bytes testOn(32, 0), testOff(32, 0);
    testOn[0] = 1;
    testOff[0] = 2;

    using Out = uint8_t*;
    struct Row {
        const char* name;
        uint32_t cmd;
        std::function<int(Out)> call;
        Bytes request;
        uint32_t replySize;
    } rows[] = {
        {"GetTime", 1008, [&](Out o) { return TSL_NET_DEV_GetTime(h, (Np_Time*)o); }, {}, 8},
        {"SetTime", 1009, [&](Out) { return TSL_NET_DEV_SetTime(h, time); }, BytesOf(time), 0},
        {"GetNtpInfo", 1010, [&](Out o) { return TSL_NET_DEV_GetNtpInfo(h, (Np_NtpInfo*)o); }, Bytes(48, 0),
         48},
        {"SetNtpInfo", 1011, [&](Out) { return TSL_NET_DEV_SetNtpInfo(h, ntp); }, BytesOf(ntp), 0},
        {"GetPlanTemplate", 1012, [&](Out o) { return TSL_NET_DEV_GetPlanTemplate(h, (Np_PlanTemplate*)o); },
         Key16(0x0807), 112},
        {"DeletePlanTemplate", 1013, [&](Out) { return TSL_NET_DEV_DeletePlanTemplate(h, 0x12345); },
         Key16(0x2345), 0},
        {"SetPlanTemplate", 1014, [&](Out) { return TSL_NET_DEV_SetPlanTemplate(h, plan); }, BytesOf(plan),
         0},
        {"ClearPlanTemplate", 1015, [&](Out) { return TSL_NET_DEV_ClearPlanTemplate(h); }, {}, 0},
        {"GetWeekPlan", 1016, [&](Out o) { return TSL_NET_DEV_GetWeekPlan(h, (Np_WeekPlan*)o); },
         Key16(0x0807), 320},
        {"DeleteWeekPlan", 1017, [&](Out) { return TSL_NET_DEV_DeleteWeekPlan(h, 7); }, Key16(7), 0},
        {"SetWeekPlan", 1018, [&](Out) { return TSL_NET_DEV_SetWeekPlan(h, week); }, BytesOf(week), 0},
        {"ClearWeekPlan", 1019, [&](Out) { return TSL_NET_DEV_ClearWeekPlan(h); }, {}, 0},
        {"GetHolidayPlan", 1020, [&](Out o) { return TSL_NET_DEV_GetHolidayPlan(h, (Np_HolidayPlan*)o); },
         Key16(0x0807), 80},
        {"DeleteHolidayPlan", 1021, [&](Out) { return TSL_NET_DEV_DeleteHolidayPlan(h, 0x12345); },
         Key16(0x2345), 0},
        {"SetHolidayPlan", 1022, [&](Out) { return TSL_NET_DEV_SetHolidayPlan(h, holiday); },
         BytesOf(holiday), 0},
        {"ClearHolidayPlan", 1023, [&](Out) { return TSL_NET_DEV_ClearHolidayPlan(h); }, {}, 0},
        {"GetDeviceInfo",
         1024,
         [&](Out o) { return TSL_NET_DEV_GetDeviceInfo(h, (Np_DeviceInfo*)o); },
         {},
         208},
        {"SetDeviceInfo", 10000, [&](Out) { return TSL_NET_DEV_SetDeviceInfo(h, info); }, BytesOf(info), 0},
        {"GetDeviceNameInfo",
         1025,
         [&](Out o) { return TSL_NET_DEV_GetDeviceNameInfo(h, (Np_DeviceNameInfo*)o); },
         {},
         80},
        {"SetDeviceNameInfo", 1026, [&](Out) { return TSL_NET_DEV_SetDeviceNameInfo(h, name); },
         BytesOf(name), 0},
        {"GetDeviceNetworkInfo",
         1027,
         [&](Out o) { return TSL_NET_DEV_GetDeviceNetworkInfo(h, (Np_DeviceNetworkInfo*)o); },
         {},
         80},
        {"SetDeviceNetworkInfo", 1028, [&](Out) { return TSL_NET_DEV_SetDeviceNetworkInfo(h, net); },
         BytesOf(net), 0},
        {"GetDeviceNetworkInfo2",
         1047,
         [&](Out o) { return TSL_NET_DEV_GetDeviceNetworkInfo2(h, (Np_DeviceNetworkInfo*)o); },
         {},
         80},
        {"SetDeviceNetworkInfo2", 1048, [&](Out) { return TSL_NET_DEV_SetDeviceNetworkInfo2(h, net); },
         BytesOf(net), 0},
        {"GetDeviceRs485Info",
         1042,
         [&](Out o) { return TSL_NET_DEV_GetDeviceRs485Info(h, (Np_DeviceRs485Info*)o); },
         {},
         48},
        {"SetDeviceRs485Info", 1043, [&](Out) { return TSL_NET_DEV_SetDeviceRs485Info(h, rs485); },
         BytesOf(rs485), 0},
        {"GetIdList", 1044, [&](Out o) { return TSL_NET_DEV_GetIdList(h, idq, (Np_IdList*)o); }, BytesOf(idq),
         288},
        {"GetLog", 1041, [&](Out o) { return TSL_NET_DEV_GetLog(h, query, (Np_LogList*)o); }, BytesOf(query),
         652},
        {"ClearLog", 1040, [&](Out) { return TSL_NET_DEV_ClearLog(h); }, {}, 0},
        {"ClearEvent", 1034, [&](Out) { return TSL_NET_DEV_ClearEvent(h); }, {}, 0},
        {"SetPassword", 1003, [&](Out) { return TSL_NET_DEV_SetPassword(h, "0123456789abcdefghij"); }, pw, 0},
        {"TestControl on", 1400, [&](Out o) { return TSL_NET_DEV_TestControl(h, true, (char*)o); }, testOn,
         256},
        {"TestControl off", 1400, [&](Out o) { return TSL_NET_DEV_TestControl(h, false, (char*)o); }, testOff,
         256},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes answer(4 + row.replySize, 0);
        for (uint32_t i = 0; i < row.replySize; ++i) answer[4 + i] = static_cast<uint8_t>(0x30 + i % 200);
        dev.device->SetHandler(row.cmd, [answer](const devsim::Request&) { return answer; });
        dev.server->ClearRequests();
        uint8_t out[1024];
        std::memset(out, 0xEE, sizeof out);
        out[0] = 0x07;
        out[1] = 0x08;
        ASSERT_EQ(0, row.call(out));
        auto sent = dev.server->RequestsFor(row.cmd);
        ASSERT_EQ(1u, sent.size());
        EXPECT_EQ(row.request, sent[0].plain);
        EXPECT_EQ(104u, sent[0].head.type);
        if (row.replySize) {
            EXPECT_EQ(0, std::memcmp(out, answer.data() + 4, row.replySize));
        }
        EXPECT_EQ(0xEE, out[row.replySize ? row.replySize : 2]) << "wrote past the record";
        if (row.replySize == 0) continue;
        // A reply one byte long leaves the record as it was, key included.
        Bytes longer = answer;
        longer.push_back(1);
        dev.device->SetHandler(row.cmd, [longer](const devsim::Request&) { return longer; });
        std::memset(out, 0xEE, sizeof out);
        out[0] = 0x07;
        out[1] = 0x08;
        EXPECT_EQ(-17, row.call(out));
        EXPECT_EQ(0x07, out[0]);
        EXPECT_EQ(0x08, out[1]);
        for (uint32_t i = 2; i < row.replySize; ++i) ASSERT_EQ(0xEE, out[i]);
    }
}

TEST(CommonOperations, SetThenGetRoundTrips) {
    SimLogin dev(100);
    const int h = dev.handle;
    auto week = Patterned<Np_WeekPlan>(21);
    week.id = 9;
    ASSERT_EQ(0, TSL_NET_DEV_SetWeekPlan(h, week));
    Np_WeekPlan weekBack{};
    weekBack.id = 9;
    ASSERT_EQ(0, TSL_NET_DEV_GetWeekPlan(h, &weekBack));
    EXPECT_EQ(BytesOf(week), BytesOf(weekBack));

    auto holiday = Patterned<Np_HolidayPlan>(22);
    holiday.id = 3;
    ASSERT_EQ(0, TSL_NET_DEV_SetHolidayPlan(h, holiday));
    Np_HolidayPlan holidayBack{};
    holidayBack.id = 3;
    ASSERT_EQ(0, TSL_NET_DEV_GetHolidayPlan(h, &holidayBack));
    EXPECT_EQ(BytesOf(holiday), BytesOf(holidayBack));
    ASSERT_EQ(0, TSL_NET_DEV_DeleteHolidayPlan(h, 3));
    ASSERT_EQ(0, TSL_NET_DEV_GetHolidayPlan(h, &holidayBack));
    EXPECT_EQ(3, holidayBack.id);
    EXPECT_EQ(0, holidayBack.startDate.year);

    auto net = Patterned<Np_DeviceNetworkInfo>(23);
    ASSERT_EQ(0, TSL_NET_DEV_SetDeviceNetworkInfo2(h, net));
    Np_DeviceNetworkInfo netBack{}, net1{};
    ASSERT_EQ(0, TSL_NET_DEV_GetDeviceNetworkInfo2(h, &netBack));
    ASSERT_EQ(0, TSL_NET_DEV_GetDeviceNetworkInfo(h, &net1));
    EXPECT_EQ(BytesOf(net), BytesOf(netBack));
    EXPECT_NE(BytesOf(net), BytesOf(net1));

    ASSERT_EQ(0, TSL_NET_DEV_SetPassword(h, "new-password"));
    EXPECT_EQ("new-password", dev.device->Password());

    auto ntp = Patterned<Np_NtpInfo>(24);
    ASSERT_EQ(0, TSL_NET_DEV_SetNtpInfo(h, ntp));
    Np_NtpInfo ntpBack{};
    ASSERT_EQ(0, TSL_NET_DEV_GetNtpInfo(h, &ntpBack));
    EXPECT_EQ(BytesOf(ntp), BytesOf(ntpBack));
}

TEST(Disconnect, LostDeviceReportedOnceOnAPoolThreadThenRemoved) {
    SimLogin dev(100);
    static std::atomic<int> calls{0};
    static std::atomic<bool> onCaller{false};
    static std::thread::id caller;
    caller = std::this_thread::get_id();
    ASSERT_EQ(0, TSL_NET_DEV_SetDisconnectCallback(dev.handle, std::function<void(int)>([](int) {
                                                       ++calls;
                                                       if (std::this_thread::get_id() == caller)
                                                           onCaller = true;
                                                   })));
    dev.server->CloseConnections();
    ASSERT_TRUE(WaitFor([&] { return TSL_NET_DEV_GetTime(dev.handle, nullptr) == -1; }));
    EXPECT_EQ(1, calls.load());
    EXPECT_FALSE(onCaller.load());
    dev.handle = 0;
}

TEST(Disconnect, LogoutNeverCallsTheCallback) {
    SimLogin dev(100);
    std::atomic<int> calls{0};
    TSL_NET_DEV_SetDisconnectCallback(dev.handle, std::function<void(int)>([&](int) { ++calls; }));
    EXPECT_EQ(0, TSL_NET_DEV_Logout(dev.handle));
    dev.handle = 0;
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(0, calls.load());
}

TEST(Disconnect, RemovingOperationsReportOnceOnTheCallersThread) {
    using Export = int (*)(int);
    const std::pair<uint32_t, Export> ops[] = {
        {1004, TSL_NET_DEV_Reboot}, {1005, TSL_NET_DEV_Format}, {1006, TSL_NET_DEV_Restore}};
    for (auto [cmd, op] : ops)
        for (int round = 0; round < 15; ++round) {
            SimLogin dev(100);
            devsim::CommandRule closing;
            closing.closeAfterReply = true;
            dev.device->SetRule(cmd, closing);
            std::atomic<int> calls{0};
            std::atomic<int> onCaller{0};
            const auto caller = std::this_thread::get_id();
            TSL_NET_DEV_SetDisconnectCallback(dev.handle, std::function<void(int)>([&](int) {
                                                  ++calls;
                                                  if (std::this_thread::get_id() == caller) ++onCaller;
                                              }));
            ASSERT_EQ(0, op(dev.handle));
            EXPECT_EQ(1, calls.load()) << cmd;
            EXPECT_EQ(1, onCaller.load()) << cmd;
            EXPECT_EQ(-1, TSL_NET_DEV_GetTime(dev.handle, nullptr));
            std::this_thread::sleep_for(20ms);
            EXPECT_EQ(1, calls.load()) << cmd;
            dev.handle = 0;
        }
}

// The disconnect callback of Reboot, Format and Restore passes the same gate
// as every other callback: a Cleanup meanwhile waits until it has returned.
TEST(Disconnect, RemovingOperationsReportInsideTheCleanupGate) {
    using Export = int (*)(int);
    for (Export op : {TSL_NET_DEV_Reboot, TSL_NET_DEV_Format, TSL_NET_DEV_Restore}) {
        SimLogin dev(100);
        std::atomic<int> running{0};
        TSL_NET_DEV_SetDisconnectCallback(dev.handle, std::function<void(int)>([&](int) {
                                              ++running;
                                              std::this_thread::sleep_for(200ms);
                                              --running;
                                          }));
        std::thread caller([&] { EXPECT_EQ(0, op(dev.handle)); });
        ASSERT_TRUE(WaitFor([&] { return running.load() == 1; }));
        TSL_NET_DEV_Cleanup();
        EXPECT_EQ(0, running.load()) << "the callback ran on after Cleanup";
        caller.join();
        dev.handle = 0;
    }
}

TEST(Disconnect, RefusedRebootKeepsTheDevice) {
    SimLogin dev(100);
    dev.device->SetFault(1004, {Fault::ResultCode, 30});
    std::atomic<int> calls{0};
    TSL_NET_DEV_SetDisconnectCallback(dev.handle, std::function<void(int)>([&](int) { ++calls; }));
    EXPECT_EQ(-1030, TSL_NET_DEV_Reboot(dev.handle));
    EXPECT_EQ(0, calls.load());
    EXPECT_EQ(0, TSL_NET_DEV_GetTime(dev.handle, nullptr));
}

TEST(Disconnect, DelayedTaskNeverRemovesTheHandlesNextDevice) {
    SimLogin a(100);
    std::mutex m;
    std::condition_variable cv;
    bool inCallback = false, release = false;
    TSL_NET_DEV_SetDisconnectCallback(a.handle, std::function<void(int)>([&](int) {
                                          std::unique_lock<std::mutex> lock(m);
                                          inCallback = true;
                                          cv.notify_all();
                                          cv.wait(lock, [&] { return release; });
                                      }));
    const int handle = a.handle;
    a.server->CloseConnections();
    {
        std::unique_lock<std::mutex> lock(m);
        ASSERT_TRUE(cv.wait_for(lock, 3s, [&] { return inCallback; }));
    }
    // While the old device's task is held, its handle goes to a new device.
    EXPECT_EQ(0, TSL_NET_DEV_Logout(handle));
    a.handle = 0;
    SimLogin b(101);
    ASSERT_EQ(handle, b.handle);
    {
        std::lock_guard<std::mutex> lock(m);
        release = true;
    }
    cv.notify_all();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(0, TSL_NET_DEV_GetTime(b.handle, nullptr));
}

// A callback set too late to ever be called is refused, never taken: the
// caller would otherwise keep a handle the next login is given.
TEST(Disconnect, WatchTooLateToBeCalledIsRefused) {
    {
        // Lost right after its login reply, before anyone watched.
        auto device = std::make_shared<devsim::SimDevice>(100);
        device->SetFault(1001, {Fault::CloseAfterReply});
        devsim::SimServer server(device);
        Np_LoginInfo info{};
        const int h = TSL_NET_DEV_Login(100, "127.0.0.1", server.Port(), "admin", "admin123", 2000, &info);
        ASSERT_GT(h, 0);
        ASSERT_TRUE(WaitFor([&] { return TSL_NET_DEV_GetTime(h, nullptr) == -1; }));
        EXPECT_EQ(-1, TSL_NET_DEV_SetDisconnectCallback(h, std::function<void(int)>([](int) {})));
    }
    {
        // Set while the loss is being reported, the handle still in the table.
        SimLogin dev(100);
        std::mutex m;
        std::condition_variable cv;
        bool inCallback = false, release = false;
        std::atomic<int> late{0};
        ASSERT_EQ(0, TSL_NET_DEV_SetDisconnectCallback(dev.handle, std::function<void(int)>([&](int) {
                                                           std::unique_lock<std::mutex> lock(m);
                                                           inCallback = true;
                                                           cv.notify_all();
                                                           cv.wait(lock, [&] { return release; });
                                                       })));
        dev.server->CloseConnections();
        {
            std::unique_lock<std::mutex> lock(m);
            ASSERT_TRUE(cv.wait_for(lock, 3s, [&] { return inCallback; }));
        }
        EXPECT_EQ(-1, TSL_NET_DEV_SetDisconnectCallback(dev.handle,
                                                        std::function<void(int)>([&](int) { ++late; })));
        {
            std::lock_guard<std::mutex> lock(m);
            release = true;
        }
        cv.notify_all();
        ASSERT_TRUE(WaitFor([&] { return TSL_NET_DEV_GetTime(dev.handle, nullptr) == -1; }));
        EXPECT_EQ(0, late.load());
        dev.handle = 0;
    }
}

namespace {
std::atomic<int> g_pointerCalls{0};
std::atomic<void*> g_pointerContext{nullptr};
void PointerCallback(int, void* context) {
    ++g_pointerCalls;
    g_pointerContext = context;
}
}  // namespace

TEST(Disconnect, PointerFormReadsTheContextSetLast) {
    SimLogin dev(100);
    int first = 1, last = 2;
    TSL_NET_DEV_SetContext(dev.handle, &first);
    ASSERT_EQ(0, TSL_NET_DEV_SetDisconnectCallback(dev.handle, PointerCallback));
    TSL_NET_DEV_SetContext(dev.handle, &last);
    dev.server->CloseConnections();
    ASSERT_TRUE(WaitFor([&] { return g_pointerCalls.load() == 1; }));
    EXPECT_EQ(&last, g_pointerContext.load());
    dev.handle = 0;
}

TEST(Disconnect, CleanupReportsNothing) {
    SimLogin a(100), b(102);
    std::atomic<int> calls{0};
    for (int h : {a.handle, b.handle})
        TSL_NET_DEV_SetDisconnectCallback(h, std::function<void(int)>([&](int) { ++calls; }));
    EXPECT_EQ(0, TSL_NET_DEV_Cleanup());
    a.handle = b.handle = 0;
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(0, calls.load());
}

// Once Cleanup has returned nothing reaches the caller any more: an event
// callback in progress has ended by then. After Logout no new one starts.
TEST(Disconnect, NothingReachesTheCallerAfterItLetTheDeviceGo) {
    for (bool cleanup : {true, false}) {
        SCOPED_TRACE(cleanup ? "Cleanup" : "Logout");
        SimLogin dev(100);
        auto running = std::make_shared<std::atomic<int>>(0);
        auto calls = std::make_shared<std::atomic<int>>(0);
        ASSERT_EQ(0, TSL_NET_Acc_SetEventCallback(dev.handle, std::function<void(int, Np_AccEventInfo)>(
                                                                  [running, calls](int, Np_AccEventInfo) {
                                                                      ++*calls;
                                                                      ++*running;
                                                                      std::this_thread::sleep_for(200ms);
                                                                      --*running;
                                                                  })));
        dev.server->Push(1800, Bytes(sizeof(Np_AccEventInfo), 1));
        ASSERT_TRUE(WaitFor([&] { return running->load() == 1; }));
        if (cleanup) {
            TSL_NET_DEV_Cleanup();
            EXPECT_EQ(0, running->load()) << "a callback ran on after Cleanup";
        } else {
            TSL_NET_DEV_Logout(dev.handle);
        }
        dev.handle = 0;
        int seen = calls->load();
        dev.server->Push(1800, Bytes(sizeof(Np_AccEventInfo), 2));
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(seen, calls->load());
        WaitFor([&] { return running->load() == 0; });
    }
}
