// The IoT exports against a simulated IoT device on 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "FamilyTable.h"
#include "SimFixture.h"
#include "TslIoT.h"

using namespace tsltest;

namespace {

constexpr uint32_t kIoT = 101;

int Subscribe(int h) {
    return TSL_NET_IoT_SetEventCallback(h, [](int, Np_LinkageEventInfo) {});
}
int SubscribeFull(int h) {
    return TSL_NET_IoT_SetEventCallbackFull(h, [](int, Np_LinkageEventInfo) {});
}
void Ignore(int, Np_LinkageEventInfo*, void*) {}

std::vector<ExportRow> Exports() {
    return {
        Out("GetWorkModeParams", 3001, RecordKey(), TSL_NET_IoT_GetWorkModeParams),
        Index("DeleteWorkModeParams", 3002, TSL_NET_IoT_DeleteWorkModeParams),
        In("SetWorkModeParams", 3003, TSL_NET_IoT_SetWorkModeParams),
        Bare("ClearWorkModeParams", 3004, TSL_NET_IoT_ClearWorkModeParams),
        Out("GetInputParams", 3005, RecordKey(), TSL_NET_IoT_GetInputParams),
        In("SetInputParams", 3006, TSL_NET_IoT_SetInputParams),
        Bare("ClearInputParams", 3007, TSL_NET_IoT_ClearInputParams),
        Out("GetInputState", 3008, RecordKey(), TSL_NET_IoT_GetInputState),
        Out("GetOutputParams", 3009, RecordKey(), TSL_NET_IoT_GetOutputParams),
        In("SetOutputParams", 3010, TSL_NET_IoT_SetOutputParams),
        Bare("ClearOutputParams", 3011, TSL_NET_IoT_ClearOutputParams),
        Out("GetOutputState", 3012, RecordKey(), TSL_NET_IoT_GetOutputState),
        In("IOControl", 3013, TSL_NET_IoT_IOControl),
        Out("GetModbusParams", 3014, RecordKey(), TSL_NET_IoT_GetModbusParams),
        Index("DeleteModbusParams", 3015, TSL_NET_IoT_DeleteModbusParams),
        In("SetModbusParams", 3016, TSL_NET_IoT_SetModbusParams),
        Bare("ClearModbusParams", 3017, TSL_NET_IoT_ClearModbusParams),
        Out("GetModbusData", 3018, RecordKey(), TSL_NET_IoT_GetModbusData),
        In("SetModbusData", 3019, TSL_NET_IoT_SetModbusData),
        Out("GetRegisterParams", 3020, RecordKey(), TSL_NET_IoT_GetRegisterParams),
        Index("DeleteRegisterParams", 3021, TSL_NET_IoT_DeleteRegisterParams),
        In("SetRegisterParams", 3022, TSL_NET_IoT_SetRegisterParams),
        Bare("ClearRegisterParams", 3023, TSL_NET_IoT_ClearRegisterParams),
        Out("GetAlarmIoInfo", 3024, None(), TSL_NET_IoT_GetAlarmIoInfo),
        In("SetAlarmIoInfo", 3025, TSL_NET_IoT_SetAlarmIoInfo),
        In("DeleteRegisterParamsSingle", 3026, TSL_NET_IoT_DeleteRegisterParamsSingle),
        In("SetRegisterParamsSingle", 3027, TSL_NET_IoT_SetRegisterParamsSingle),
        In("LoraControl", 3028, TSL_NET_IoT_LoraControl),
        Out("GetLoraWorkModeParams", 3029, RecordKey(), TSL_NET_IoT_GetLoraWorkModeParams),
        In("DeleteLoraWorkModeParams", 3030, TSL_NET_IoT_DeleteLoraWorkModeParams),
        In("SetLoraWorkModeParams", 3031, TSL_NET_IoT_SetLoraWorkModeParams),
        Bare("ClearLoraWorkModeParams", 3032, TSL_NET_IoT_ClearLoraWorkModeParams),
        InOut("GetEvent", 1035, TSL_NET_IoT_GetEvent),
        Setter("SetEventCallback", 1036, Mode(1), Subscribe),
        Setter("SetEventCallbackFull", 1036, Mode(2), SubscribeFull),
        Setter("SetEventCallback pointer", 1036, Mode(1),
               [](int h) { return TSL_NET_IoT_SetEventCallback(h, Ignore); }),
        Setter("SetEventCallbackFull pointer", 1036, Mode(2),
               [](int h) { return TSL_NET_IoT_SetEventCallbackFull(h, Ignore); }),
        Setter("SetEventCallback null", 1037, None(),
               [](int h) { return TSL_NET_IoT_SetEventCallback(h, TSL_IoTEventCallback{}); }),
        Setter("SetEventCallbackFull empty", 1037, None(),
               [](int h) {
                   return TSL_NET_IoT_SetEventCallbackFull(h,
                                                           std::function<void(int, Np_LinkageEventInfo)>{});
               }),
    };
}

TEST(IoT, EveryExportSendsItsRequestAndCopiesItsReplyWhole) {
    SimLogin iot(kIoT);
    ASSERT_GT(iot.handle, 0);
    for (const ExportRow& row : Exports()) CheckRow(iot, kIoT, row);
}

TEST(IoT, ExportsRefuseUnknownHandlesAndOtherFamilies) {
    SimLogin iot(kIoT);
    SimLogin acc(TSL_DEVICE_ACC);
    ASSERT_GT(iot.handle, 0);
    ASSERT_GT(acc.handle, 0);
    for (const ExportRow& row : Exports()) CheckFrame(iot, acc, row);
}

TEST(IoT, SettingsReadBackAsTheyWereSet) {
    const std::vector<StoredKind> kinds = {
        Kind("WorkMode", true, TSL_NET_IoT_SetWorkModeParams, TSL_NET_IoT_GetWorkModeParams,
             TSL_NET_IoT_DeleteWorkModeParams, TSL_NET_IoT_ClearWorkModeParams),
        Kind(
            "LoraWorkMode", true, TSL_NET_IoT_SetLoraWorkModeParams, TSL_NET_IoT_GetLoraWorkModeParams,
            [](int h, uint8_t id) {
                Np_IoTLoraWorkModeKey key{};
                key.workModeId = id;
                return TSL_NET_IoT_DeleteLoraWorkModeParams(h, key);
            },
            TSL_NET_IoT_ClearLoraWorkModeParams),
        Kind("Input", true, TSL_NET_IoT_SetInputParams, TSL_NET_IoT_GetInputParams, nullptr,
             TSL_NET_IoT_ClearInputParams),
        Kind("Output", true, TSL_NET_IoT_SetOutputParams, TSL_NET_IoT_GetOutputParams, nullptr,
             TSL_NET_IoT_ClearOutputParams),
        Kind("Modbus", true, TSL_NET_IoT_SetModbusParams, TSL_NET_IoT_GetModbusParams,
             TSL_NET_IoT_DeleteModbusParams, TSL_NET_IoT_ClearModbusParams),
        Kind("Register", true, TSL_NET_IoT_SetRegisterParams, TSL_NET_IoT_GetRegisterParams,
             TSL_NET_IoT_DeleteRegisterParams, TSL_NET_IoT_ClearRegisterParams),
        Kind<Np_IoTAlarmIoInfo>("AlarmIo", false, TSL_NET_IoT_SetAlarmIoInfo, TSL_NET_IoT_GetAlarmIoInfo,
                                nullptr, nullptr),
    };
    SimLogin iot(kIoT);
    ASSERT_GT(iot.handle, 0);
    for (const StoredKind& kind : kinds) CheckStored(iot.handle, kind);
}

TEST(IoT, RequestsCountOnTheFamilysOwnIdentities) {
    SimLogin iot(kIoT);
    ASSERT_GT(iot.handle, 0);
    Np_IoTInputParams params{};
    Np_Time time{};
    ASSERT_EQ(TSL_NET_IoT_GetInputParams(iot.handle, &params), 0);
    ASSERT_EQ(TSL_NET_DEV_GetTime(iot.handle, &time), 0);
    ASSERT_EQ(TSL_NET_IoT_GetInputParams(iot.handle, &params), 0);
    auto requests = iot.server->RequestsFor(3005);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].head.identity, requests[0].head.identity + 1);
}

Bytes LinkageEvent(int32_t code, size_t size = sizeof(Np_LinkageEventInfo)) {
    return EventPayload(code, size);
}

TEST(IoT, EventsOfExactlyTheRecordSizeReachTheCallbackWhateverTheirCommand) {
    EventLog<Np_LinkageEventInfo> log;
    SimLogin iot(kIoT);
    ASSERT_GT(iot.handle, 0);
    ASSERT_EQ(TSL_NET_IoT_SetEventCallbackFull(iot.handle, log.Callback()), 0);

    // Each message that must be dropped is followed by one that must arrive.
    iot.server->Push(1800, LinkageEvent(-1, 31));
    iot.server->Push(1800, LinkageEvent(1));
    iot.server->Push(1800, LinkageEvent(-2, 33));
    iot.server->Push(4800, LinkageEvent(2));
    ASSERT_TRUE(log.WaitFor(2));

    auto events = log.Events();
    ASSERT_EQ(events.size(), 2u);
    std::vector<Bytes> records;
    for (const auto& e : events) {
        EXPECT_EQ(e.handle, iot.handle);
        records.push_back(e.record);
    }
    std::sort(records.begin(), records.end());
    std::vector<Bytes> pushed = {LinkageEvent(1), LinkageEvent(2)};
    std::sort(pushed.begin(), pushed.end());
    EXPECT_EQ(records, pushed);
}

TEST(IoT, PointerCallbackKeepsTheContextOfItsRegistration) {
    EventLog<Np_LinkageEventInfo> registered, later;
    SimLogin iot(kIoT);
    ASSERT_GT(iot.handle, 0);
    ASSERT_EQ(TSL_NET_DEV_SetContext(iot.handle, &registered), 0);
    ASSERT_EQ(TSL_NET_IoT_SetEventCallback(iot.handle, EventLog<Np_LinkageEventInfo>::Collect), 0);
    ASSERT_EQ(TSL_NET_DEV_SetContext(iot.handle, &later), 0);

    iot.server->Push(1800, LinkageEvent(7));
    ASSERT_TRUE(registered.WaitFor(1));
    auto events = registered.Events();
    EXPECT_EQ(events[0].handle, iot.handle);
    EXPECT_EQ(events[0].record, LinkageEvent(7));
    EXPECT_TRUE(later.Events().empty());
}

}  // namespace
