// Every FSU request export against the simulator: command, request bytes,
// reply size, and the caller's record copied whole or left alone.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "FsuTest.h"

using namespace fsutest;
using tsltest::BytesOf;
using tsltest::SimLogin;

namespace {

enum class Shape { Empty, Index, Key, Whole };

struct Case {
    const char* name;
    uint32_t cmd;
    Shape shape;
    size_t requestSize;  // payload bytes
    size_t replySize;    // 0: status only
    int (*call)(int handle, const uint8_t* in, uint8_t* out);
};

constexpr uint8_t kIndex = 0xA5;
constexpr size_t kArea = 2048;  // caller's buffers, larger than any record

#define PLAIN(fn) [](int h, const uint8_t*, uint8_t*) { return fn(h); }
#define INDEX(fn) [](int h, const uint8_t*, uint8_t*) { return fn(h, kIndex); }
#define READ(fn, T) [](int h, const uint8_t*, uint8_t* out) { return fn(h, reinterpret_cast<T*>(out)); }
#define WRITE(fn, T)                         \
    [](int h, const uint8_t* in, uint8_t*) { \
        T r;                                 \
        std::memcpy(&r, in, sizeof r);       \
        return fn(h, r);                     \
    }
#define QUERY(fn, Q, T)                             \
    [](int h, const uint8_t* in, uint8_t* out) {    \
        Q q;                                        \
        std::memcpy(&q, in, sizeof q);              \
        return fn(h, q, reinterpret_cast<T*>(out)); \
    }

// clang-format off
const Case kCases[] = {
    {"GetUserData", 4001, Shape::Key, 32, 64, READ(TSL_NET_FSU_GetUserData, Np_FsuUserData)},
    {"DeleteUserData", 4002, Shape::Index, 32, 0, INDEX(TSL_NET_FSU_DeleteUserData)},
    {"SetUserData", 4003, Shape::Whole, 64, 0, WRITE(TSL_NET_FSU_SetUserData, Np_FsuUserData)},
    {"ClearUserData", 4004, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearUserData)},
    {"GetIpBindParams", 4005, Shape::Empty, 0, 96, READ(TSL_NET_FSU_GetIpBindParams, Np_FsuIpBindParams)},
    {"SetIpBindParams", 4006, Shape::Whole, 96, 0, WRITE(TSL_NET_FSU_SetIpBindParams, Np_FsuIpBindParams)},
    {"ClearIpBindParams", 4007, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearIpBindParams)},
    {"GetMacBindParams", 4008, Shape::Empty, 0, 96, READ(TSL_NET_FSU_GetMacBindParams, Np_FsuMacBindParams)},
    {"SetMacBindParams", 4009, Shape::Whole, 96, 0, WRITE(TSL_NET_FSU_SetMacBindParams, Np_FsuMacBindParams)},
    {"ClearMacBindParams", 4010, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearMacBindParams)},
    {"GetDeviceInfo", 4011, Shape::Empty, 0, 32, READ(TSL_NET_FSU_GetDeviceInfo, Np_FsuDeviceInfo)},
    {"SetDeviceInfo", 4012, Shape::Whole, 32, 0, WRITE(TSL_NET_FSU_SetDeviceInfo, Np_FsuDeviceInfo)},
    {"ClearDeviceInfo", 4013, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearDeviceInfo)},
    {"GetModbusParams", 4014, Shape::Key, 32, 64, READ(TSL_NET_FSU_GetModbusParams, Np_FsuModbusParams)},
    {"DeleteModbusParams", 4015, Shape::Index, 32, 0, INDEX(TSL_NET_FSU_DeleteModbusParams)},
    {"SetModbusParams", 4016, Shape::Whole, 64, 0, WRITE(TSL_NET_FSU_SetModbusParams, Np_FsuModbusParams)},
    {"ClearModbusParams", 4017, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearModbusParams)},
    {"GetModbusData", 4018, Shape::Key, 32, 512, READ(TSL_NET_FSU_GetModbusData, Np_FsuModbusValues)},
    {"SetModbusData", 4019, Shape::Whole, 48, 0, WRITE(TSL_NET_FSU_SetModbusData, Np_FsuModbusWrite)},
    {"GetRegisterParams", 4020, Shape::Key, 32, 640, READ(TSL_NET_FSU_GetRegisterParams, Np_FsuRegisterParams)},
    {"DeleteRegisterParams", 4021, Shape::Index, 32, 0, INDEX(TSL_NET_FSU_DeleteRegisterParams)},
    {"SetRegisterParams", 4022, Shape::Whole, 640, 0, WRITE(TSL_NET_FSU_SetRegisterParams, Np_FsuRegisterParams)},
    {"ClearRegisterParams", 4023, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearRegisterParams)},
    {"GetAnalogParams", 4024, Shape::Key, 32, 96, READ(TSL_NET_FSU_GetAnalogParams, Np_FsuAnalogParams)},
    {"DeleteAnalogParams", 4025, Shape::Index, 32, 0, INDEX(TSL_NET_FSU_DeleteAnalogParams)},
    {"SetAnalogParams", 4026, Shape::Whole, 96, 0, WRITE(TSL_NET_FSU_SetAnalogParams, Np_FsuAnalogParams)},
    {"ClearAnalogParams", 4027, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearAnalogParams)},
    {"GetAnalogCalibrateParams", 4028, Shape::Empty, 0, 64, READ(TSL_NET_FSU_GetAnalogCalibrateParams, Np_FsuAnalogCalibrateParams)},
    {"SetAnalogCalibrateParams", 4029, Shape::Whole, 64, 0, WRITE(TSL_NET_FSU_SetAnalogCalibrateParams, Np_FsuAnalogCalibrateParams)},
    {"ClearAnalogCalibrateParams", 4030, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearAnalogCalibrateParams)},
    {"GetAnalogData", 4031, Shape::Key, 32, 80, READ(TSL_NET_FSU_GetAnalogData, Np_FsuAnalogChannelData)},
    {"GetRs485Info", 4032, Shape::Key, 32, 48, READ(TSL_NET_FSU_GetRs485Info, Np_FsuRs485Info)},
    {"SetRs485Info", 4033, Shape::Whole, 48, 0, WRITE(TSL_NET_FSU_SetRs485Info, Np_FsuRs485Info)},
    {"ClearRs485Info", 4034, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearRs485Info)},
    {"GetInputParams", 4035, Shape::Key, 32, 64, READ(TSL_NET_FSU_GetInputParams, Np_FsuInputParams)},
    {"SetInputParams", 4036, Shape::Whole, 64, 0, WRITE(TSL_NET_FSU_SetInputParams, Np_FsuInputParams)},
    {"ClearInputParams", 4037, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearInputParams)},
    {"GetInputState", 4038, Shape::Empty, 0, 800, READ(TSL_NET_FSU_GetInputState, Np_FsuInputState)},
    {"GetOutputParams", 4039, Shape::Key, 32, 64, READ(TSL_NET_FSU_GetOutputParams, Np_FsuOutputParams)},
    {"SetOutputParams", 4040, Shape::Whole, 64, 0, WRITE(TSL_NET_FSU_SetOutputParams, Np_FsuOutputParams)},
    {"ClearOutputParams", 4041, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearOutputParams)},
    {"GetOutputState", 4042, Shape::Empty, 0, 848, READ(TSL_NET_FSU_GetOutputState, Np_FsuOutputState)},
    {"IOControl", 4043, Shape::Whole, 32, 0, WRITE(TSL_NET_FSU_IOControl, Np_FsuIOControl)},
    {"GetLinkageInfo", 4044, Shape::Key, 32, 32, READ(TSL_NET_FSU_GetLinkageInfo, Np_FsuLinkageInfo)},
    {"DeleteLinkageInfo", 4045, Shape::Index, 32, 0, INDEX(TSL_NET_FSU_DeleteLinkageInfo)},
    {"SetLinkageInfo", 4046, Shape::Whole, 32, 0, WRITE(TSL_NET_FSU_SetLinkageInfo, Np_FsuLinkageInfo)},
    {"ClearLinkageInfo", 4047, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearLinkageInfo)},
    {"DeleteRegisterParamsSingle", 4048, Shape::Whole, 32, 0, WRITE(TSL_NET_FSU_DeleteRegisterParamsSingle, Np_FsuRegisterKey)},
    {"SetRegisterParamsSingle", 4049, Shape::Whole, 96, 0, WRITE(TSL_NET_FSU_SetRegisterParamsSingle, Np_FsuRegisterParamsSingle)},
    {"GetModbusEventData", 4050, Shape::Whole, 48, 892, QUERY(TSL_NET_FSU_GetModbusEventData, Np_EventQuery, Np_FsuEventDataList)},
    {"GetAnalogEventData", 4051, Shape::Whole, 48, 892, QUERY(TSL_NET_FSU_GetAnalogEventData, Np_EventQuery, Np_FsuEventDataList)},
    {"GetInputEventData", 4052, Shape::Whole, 48, 892, QUERY(TSL_NET_FSU_GetInputEventData, Np_EventQuery, Np_FsuEventDataList)},
    {"GetOutputEventData", 4053, Shape::Whole, 48, 892, QUERY(TSL_NET_FSU_GetOutputEventData, Np_EventQuery, Np_FsuEventDataList)},
    {"GetEvent", 1035, Shape::Whole, 48, 412, QUERY(TSL_NET_FSU_GetEvent, Np_EventQuery, Np_FsuEventList)},
    {"GetRegisterMap", 4054, Shape::Key, 32, 256, READ(TSL_NET_FSU_GetRegisterMap, Np_FsuRegisterMap)},
    {"DeleteRegisterMap", 4055, Shape::Index, 32, 0, INDEX(TSL_NET_FSU_DeleteRegisterMap)},
    {"SetRegisterMap", 4056, Shape::Whole, 256, 0, WRITE(TSL_NET_FSU_SetRegisterMap, Np_FsuRegisterMap)},
    {"ClearRegisterMap", 4057, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearRegisterMap)},
    {"GetAlarmFilterInfo", 4060, Shape::Key, 32, 48, READ(TSL_NET_FSU_GetAlarmFilterInfo, Np_FsuAlarmFilterInfo)},
    {"SetAlarmFilterInfo", 4061, Shape::Whole, 48, 0, WRITE(TSL_NET_FSU_SetAlarmFilterInfo, Np_FsuAlarmFilterInfo)},
    {"ModbusExportData", 4060, Shape::Whole, 32, 576, QUERY(TSL_NET_FSU_ModbusExportData, Np_FsuRegisterKey, Np_FsuModbusRecord)},
    {"ModbusImportData", 4061, Shape::Whole, 576, 0, WRITE(TSL_NET_FSU_ModbusImportData, Np_FsuModbusRecord)},
    {"ModbusExportHead", 4062, Shape::Empty, 0, 1024, READ(TSL_NET_FSU_ModbusExportHead, Np_FsuModbusHead)},
    {"ModbusImportHead", 4063, Shape::Whole, 1024, 0, WRITE(TSL_NET_FSU_ModbusImportHead, Np_FsuModbusHead)},
    {"ModbusClearHead", 4064, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ModbusClearHead)},
    {"GetRegisterDesc", 4065, Shape::Whole, 32, 1025, QUERY(TSL_NET_FSU_GetRegisterDesc, Np_FsuRegisterKey, Np_FsuRegisterDesc)},
    {"DeleteRegisterDesc", 4066, Shape::Whole, 32, 0, WRITE(TSL_NET_FSU_DeleteRegisterDesc, Np_FsuRegisterKey)},
    {"SetRegisterDesc", 4067, Shape::Whole, 1025, 0, WRITE(TSL_NET_FSU_SetRegisterDesc, Np_FsuRegisterDesc)},
    {"ClearRegisterDesc", 4068, Shape::Empty, 0, 0, PLAIN(TSL_NET_FSU_ClearRegisterDesc)},
};
// clang-format on

Bytes Expected(const Case& c, const Bytes& in, const Bytes& out) {
    switch (c.shape) {
        case Shape::Empty:
            return {};
        case Shape::Index: {
            Bytes b(32, 0);
            b[0] = kIndex;
            return b;
        }
        case Shape::Key: {
            Bytes b(32, 0);
            b[0] = out[0];
            return b;
        }
        case Shape::Whole:
            return Bytes(in.begin(), in.begin() + static_cast<long>(c.requestSize));
    }
    return {};
}

TEST(FsuRequests, EveryExportSendsItsRequestAndCopiesItsReply) {
    SimLogin sim(kFsu);
    ASSERT_GT(sim.handle, 0);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const Bytes reply = Pattern(c.replySize, 0x40);
        sim.device->SetHandler(c.cmd, [&](const devsim::Request&) -> std::optional<Bytes> {
            return devsim::StatusPayload(0, reply);
        });
        const Bytes in = Pattern(kArea, 0x11);
        Bytes out = Pattern(kArea, 0x77);
        const Bytes before = out;
        sim.server->ClearRequests();

        ASSERT_EQ(0, c.call(sim.handle, in.data(), out.data()));
        auto sent = sim.server->RequestsFor(c.cmd);
        ASSERT_EQ(1u, sent.size());
        EXPECT_EQ(102u, sent[0].head.type);
        EXPECT_EQ(Expected(c, in, before), sent[0].plain);
        // The reply record overwrites exactly its own size.
        EXPECT_TRUE(std::equal(reply.begin(), reply.end(), out.begin()));
        EXPECT_TRUE(std::equal(out.begin() + static_cast<long>(c.replySize), out.end(),
                               before.begin() + static_cast<long>(c.replySize)));

        // Reads refuse a reply one byte too long without touching the record;
        // every operation passes the device's result code on.
        out = before;
        if (c.replySize) {
            const Bytes longer = Pattern(c.replySize + 1, 0x50);
            sim.device->SetHandler(c.cmd, [&](const devsim::Request&) -> std::optional<Bytes> {
                return devsim::StatusPayload(0, longer);
            });
            EXPECT_EQ(-17, c.call(sim.handle, in.data(), out.data()));
        } else {
            sim.device->SetHandler(c.cmd, [](const devsim::Request&) -> std::optional<Bytes> {
                return devsim::StatusPayload(6);
            });
            EXPECT_EQ(-1006, c.call(sim.handle, in.data(), out.data()));
        }
        EXPECT_EQ(before, out);
        sim.device->SetHandler(c.cmd, {});
    }
}

// The alarm filter and the register table rows share 4060 and 4061; the
// simulated device tells them apart by payload as a device does.
TEST(FsuRequests, AlarmFilterAndRegisterRowsShareTheirCommands) {
    SimLogin sim(kFsu);
    auto filter = tsltest::Patterned<Np_FsuAlarmFilterInfo>(3);
    filter.channel = 5;
    auto row = tsltest::Patterned<Np_FsuModbusRecord>(9);
    row.status = 0;
    ASSERT_EQ(0, TSL_NET_FSU_SetAlarmFilterInfo(sim.handle, filter));
    ASSERT_EQ(0, TSL_NET_FSU_ModbusImportData(sim.handle, row));

    Np_FsuAlarmFilterInfo gotFilter{};
    gotFilter.channel = 5;
    ASSERT_EQ(0, TSL_NET_FSU_GetAlarmFilterInfo(sim.handle, &gotFilter));
    EXPECT_EQ(BytesOf(filter), BytesOf(gotFilter));
    Np_FsuRegisterKey key{};
    key.a = 1;
    key.b = 1;
    Np_FsuModbusRecord gotRow{};
    ASSERT_EQ(0, TSL_NET_FSU_ModbusExportData(sim.handle, key, &gotRow));
    EXPECT_EQ(BytesOf(row), BytesOf(gotRow));

    std::vector<size_t> reads, writes;
    for (const auto& r : sim.server->RequestsFor(4060)) reads.push_back(r.plain.size());
    for (const auto& r : sim.server->RequestsFor(4061)) writes.push_back(r.plain.size());
    EXPECT_EQ((std::vector<size_t>{32, 32}), reads);
    EXPECT_EQ((std::vector<size_t>{48, 576}), writes);
}

TEST(FsuRequests, KeyedReadRoundTripsThroughTheDevice) {
    SimLogin sim(kFsu);
    auto user = tsltest::Patterned<Np_FsuUserData>(21);
    user.index = 7;
    ASSERT_EQ(0, TSL_NET_FSU_SetUserData(sim.handle, user));
    Np_FsuUserData got{};
    got.index = 7;
    ASSERT_EQ(0, TSL_NET_FSU_GetUserData(sim.handle, &got));
    EXPECT_EQ(BytesOf(user), BytesOf(got));
    ASSERT_EQ(0, TSL_NET_FSU_DeleteUserData(sim.handle, 7));
    ASSERT_EQ(0, TSL_NET_FSU_GetUserData(sim.handle, &got));
    EXPECT_EQ(7, got.index);
    EXPECT_EQ('\0', got.name[0]);
}

// Handles of no device or of another family reach nothing.
TEST(FsuRequests, ForeignHandlesAreRefusedWithoutARequest) {
    SimLogin acc(100);
    ASSERT_GT(acc.handle, 0);
    const std::function<int(int)> calls[] = {
        [](int h) { return TSL_NET_FSU_ClearUserData(h); },
        [](int h) { return TSL_NET_FSU_DeleteUserData(h, 1); },
        [](int h) {
            Np_FsuUserData u{};
            return TSL_NET_FSU_GetUserData(h, &u);
        },
        [](int h) {
            uint8_t data[16] = {};
            return TSL_NET_FSU_SetStructFile(h, data, sizeof data);
        },
        [](int h) {
            static uint8_t buffer[10240];
            uint32_t length = 0;
            return TSL_NET_FSU_GetStructFile(h, buffer, &length);
        },
        [](int h) { return TSL_NET_FSU_ModbusExportCsv(h, "/tmp/tsl-fsu-never.csv"); },
        [](int h) { return TSL_NET_FSU_ModbusImportCsv(h, "/tmp/tsl-fsu-never.csv"); },
        [](int h) { return TSL_NET_FSU_SetEventCallback(h, static_cast<TSL_FsuEventCallback>(nullptr)); },
        [](int h) { return TSL_NET_FSU_SetEventCallbackFull(h, [](int, Np_FsuEventInfo) {}); },
        [](int h) { return TSL_NET_FSU_SetAnalogDataCallback(h, [](int, Np_FsuAnalogData) {}); },
    };
    for (const auto& call : calls) {
        EXPECT_EQ(-2, call(acc.handle));
        EXPECT_EQ(-1, call(257));
    }
    EXPECT_EQ(0u, OperationCount(*acc.server));
}

}  // namespace
