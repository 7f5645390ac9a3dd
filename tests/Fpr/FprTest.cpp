// The fingerprint-reader exports against a simulated reader on 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "FamilyTable.h"
#include "SimFixture.h"
#include "TslFpr.h"

using namespace tsltest;

namespace {

constexpr uint32_t kFpr = 104;
constexpr uint32_t kGetInfo = 0x680009;
constexpr uint32_t kGetUser = 0x680004;

void Ignore(int, Np_FprEventInfo*, void*) {}

std::vector<ExportRow> Exports() {
    return {
        In("AddUserData", 0x680001, TSL_NET_FPR_AddUserData),
        In("SetUserData", 0x680002, TSL_NET_FPR_SetUserData),
        In("DeleteUserData", 0x680003, TSL_NET_FPR_DeleteUserData),
        InOut("GetUserData", kGetUser, TSL_NET_FPR_GetUserData),
        InOut("GetUserList", 0x680005, TSL_NET_FPR_GetUserList),
        Bare("ClearUserData", 0x680006, TSL_NET_FPR_ClearUserData),
        Out("GetDeviceParams", 0x680007, None(), TSL_NET_FPR_GetDeviceParams),
        In("SetDeviceParams", 0x680008, TSL_NET_FPR_SetDeviceParams),
        Out("GetDeviceInfo", kGetInfo, None(), TSL_NET_FPR_GetDeviceInfo),
        Out("GetDeviceFixInfo", kGetInfo, None(), TSL_NET_FPR_GetDeviceFixInfo),
        In("SetDeviceInfo", 0x68000A, TSL_NET_FPR_SetDeviceInfo),
        In("SetDeviceFixInfo", 0x68000A, TSL_NET_FPR_SetDeviceFixInfo),
        In("ChannelControl", 0x68000D, TSL_NET_FPR_ChannelControl),
        In("IOControl", 0x68000E, TSL_NET_FPR_IOControl),
        Setter("SetEventCallback", 1036, Mode(1),
               [](int h) { return TSL_NET_FPR_SetEventCallback(h, [](int, Np_FprEventInfo) {}); }),
        Setter("SetEventCallback pointer", 1036, Mode(1),
               [](int h) { return TSL_NET_FPR_SetEventCallback(h, Ignore); }),
        Setter("SetEventCallback null", 1037, None(),
               [](int h) { return TSL_NET_FPR_SetEventCallback(h, TSL_FprEventCallback{}); }),
        Setter("SetEventCallback empty", 1037, None(),
               [](int h) {
                   return TSL_NET_FPR_SetEventCallback(h, std::function<void(int, Np_FprEventInfo)>{});
               }),
    };
}

TEST(Fpr, EveryExportSendsItsRequestAndCopiesItsReplyWhole) {
    SimLogin fpr(kFpr);
    ASSERT_GT(fpr.handle, 0);
    for (const ExportRow& row : Exports()) CheckRow(fpr, kFpr, row);
}

TEST(Fpr, ExportsRefuseUnknownHandlesAndOtherFamilies) {
    SimLogin fpr(kFpr);
    SimLogin fsu(TSL_DEVICE_FSU);
    ASSERT_GT(fpr.handle, 0);
    ASSERT_GT(fsu.handle, 0);
    for (const ExportRow& row : Exports()) CheckFrame(fpr, fsu, row);
}

// The records are large; keep them off the stack of the test.
template <class T>
std::unique_ptr<T> Filled(uint8_t seed) {
    auto record = std::make_unique<T>();
    Bytes bytes = Pattern(sizeof(T), seed);
    std::memcpy(record.get(), bytes.data(), sizeof(T));
    return record;
}

Np_FprUserKey KeyOf(const Np_FprUserData& user) {
    Np_FprUserKey key;
    std::memcpy(&key, &user, sizeof key);
    return key;
}

TEST(Fpr, UserRecordsTravelWholeBothWays) {
    SimLogin fpr(kFpr);
    ASSERT_GT(fpr.handle, 0);
    auto added = Filled<Np_FprUserData>(1);
    auto changed = Filled<Np_FprUserData>(2);
    std::memcpy(changed.get(), added.get(), sizeof(Np_FprUserKey));  // the same user
    auto other = Filled<Np_FprUserData>(3);
    auto read = Filled<Np_FprUserData>(4);

    ASSERT_EQ(TSL_NET_FPR_AddUserData(fpr.handle, *added), 0);
    ASSERT_EQ(TSL_NET_FPR_AddUserData(fpr.handle, *other), 0);
    ASSERT_EQ(TSL_NET_FPR_GetUserData(fpr.handle, KeyOf(*added), read.get()), 0);
    EXPECT_EQ(BytesOf(*read), BytesOf(*added));

    ASSERT_EQ(TSL_NET_FPR_SetUserData(fpr.handle, *changed), 0);
    ASSERT_EQ(TSL_NET_FPR_GetUserData(fpr.handle, KeyOf(*added), read.get()), 0);
    EXPECT_EQ(BytesOf(*read), BytesOf(*changed));

    ASSERT_EQ(TSL_NET_FPR_DeleteUserData(fpr.handle, KeyOf(*added)), 0);
    ASSERT_EQ(TSL_NET_FPR_GetUserData(fpr.handle, KeyOf(*other), read.get()), 0);
    EXPECT_EQ(BytesOf(*read), BytesOf(*other));
    ASSERT_EQ(TSL_NET_FPR_ClearUserData(fpr.handle), 0);
    EXPECT_FALSE(fpr.device->GetRecord("fprUser", BytesOf(KeyOf(*other))));
}

TEST(Fpr, SettingsReadBackAsTheyWereSet) {
    SimLogin fpr(kFpr);
    ASSERT_GT(fpr.handle, 0);

    auto params = Filled<Np_FprDeviceParams>(5);
    auto paramsRead = Filled<Np_FprDeviceParams>(6);
    ASSERT_EQ(TSL_NET_FPR_SetDeviceParams(fpr.handle, *params), 0);
    ASSERT_EQ(TSL_NET_FPR_GetDeviceParams(fpr.handle, paramsRead.get()), 0);
    EXPECT_EQ(BytesOf(*paramsRead), BytesOf(*params));

    auto info = Filled<Np_FprDeviceInfo>(7);
    auto infoRead = Filled<Np_FprDeviceInfo>(8);
    ASSERT_EQ(TSL_NET_FPR_SetDeviceInfo(fpr.handle, *info), 0);
    ASSERT_EQ(TSL_NET_FPR_GetDeviceInfo(fpr.handle, infoRead.get()), 0);
    EXPECT_EQ(BytesOf(*infoRead), BytesOf(*info));

    auto fix = Filled<Np_FprDeviceFixInfo>(9);
    auto fixRead = Filled<Np_FprDeviceFixInfo>(10);
    ASSERT_EQ(TSL_NET_FPR_SetDeviceFixInfo(fpr.handle, *fix), 0);
    fpr.device->SetRule(kGetInfo, {devsim::CommandRule::Record, 20, "fprFixInfo"});
    ASSERT_EQ(TSL_NET_FPR_GetDeviceFixInfo(fpr.handle, fixRead.get()), 0);
    EXPECT_EQ(BytesOf(*fixRead), BytesOf(*fix));
}

// The two information reads share a command; the reply's length decides
// which of them succeeds, and the other leaves its record alone.
TEST(Fpr, SharedCommandRepliesFitOnlyTheirOwnRecord) {
    SimLogin fpr(kFpr);
    ASSERT_GT(fpr.handle, 0);
    const Np_FprDeviceInfo infoBefore = Patterned<Np_FprDeviceInfo>(1);
    const Np_FprDeviceFixInfo fixBefore = Patterned<Np_FprDeviceFixInfo>(2);
    Np_FprDeviceInfo info = infoBefore;
    Np_FprDeviceFixInfo fix = fixBefore;

    fpr.device->SetRule(kGetInfo, {devsim::CommandRule::Record, 100, "fprDeviceInfo"});
    EXPECT_EQ(TSL_NET_FPR_GetDeviceFixInfo(fpr.handle, &fix), -17);
    EXPECT_EQ(BytesOf(fix), BytesOf(fixBefore));
    EXPECT_EQ(TSL_NET_FPR_GetDeviceInfo(fpr.handle, &info), 0);

    info = infoBefore;
    fpr.device->SetRule(kGetInfo, {devsim::CommandRule::Record, 20, "fprFixInfo"});
    EXPECT_EQ(TSL_NET_FPR_GetDeviceInfo(fpr.handle, &info), -17);
    EXPECT_EQ(BytesOf(info), BytesOf(infoBefore));
    EXPECT_EQ(TSL_NET_FPR_GetDeviceFixInfo(fpr.handle, &fix), 0);
}

TEST(Fpr, RequestsCountOnTheFamilysOwnIdentities) {
    SimLogin fpr(kFpr);
    ASSERT_GT(fpr.handle, 0);
    Np_FprDeviceParams params{};
    Np_Time time{};
    ASSERT_EQ(TSL_NET_FPR_GetDeviceParams(fpr.handle, &params), 0);
    ASSERT_EQ(TSL_NET_DEV_GetTime(fpr.handle, &time), 0);
    ASSERT_EQ(TSL_NET_FPR_GetDeviceParams(fpr.handle, &params), 0);
    auto requests = fpr.server->RequestsFor(0x680007);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].head.identity, requests[0].head.identity + 1);
}

Bytes FprEvent(uint8_t number, size_t size = sizeof(Np_FprEventInfo)) {
    Bytes payload = Pattern(size, number);
    payload[0] = number;
    return payload;
}

TEST(Fpr, OnlyCommand1800WithTheRecordSizeReachesTheCallback) {
    EventLog<Np_FprEventInfo> log;
    SimLogin fpr(kFpr);
    ASSERT_GT(fpr.handle, 0);
    ASSERT_EQ(TSL_NET_FPR_SetEventCallback(fpr.handle, log.Callback()), 0);

    // Each message that must be dropped is followed by one that must arrive.
    const struct {
        uint32_t cmd;
        Bytes payload;
    } dropped[] = {{1800, FprEvent(0x81, 79)}, {1800, FprEvent(0x82, 81)}, {1801, FprEvent(0x83)}};
    std::vector<Bytes> delivered;
    for (const auto& d : dropped) {
        fpr.server->Push(d.cmd, d.payload);
        delivered.push_back(FprEvent(static_cast<uint8_t>(delivered.size() + 1)));
        fpr.server->Push(1800, delivered.back());
    }
    ASSERT_TRUE(log.WaitFor(delivered.size()));

    auto events = log.Events();
    ASSERT_EQ(events.size(), delivered.size());
    std::vector<Bytes> records;
    for (const auto& e : events) {
        EXPECT_EQ(e.handle, fpr.handle);
        records.push_back(e.record);
    }
    std::sort(records.begin(), records.end());
    EXPECT_EQ(records, delivered);
}

TEST(Fpr, PointerCallbackKeepsTheContextOfItsRegistration) {
    EventLog<Np_FprEventInfo> registered, later;
    SimLogin fpr(kFpr);
    ASSERT_GT(fpr.handle, 0);
    ASSERT_EQ(TSL_NET_DEV_SetContext(fpr.handle, &registered), 0);
    ASSERT_EQ(TSL_NET_FPR_SetEventCallback(fpr.handle, EventLog<Np_FprEventInfo>::Collect), 0);
    ASSERT_EQ(TSL_NET_DEV_SetContext(fpr.handle, &later), 0);

    fpr.server->Push(1800, FprEvent(9));
    ASSERT_TRUE(registered.WaitFor(1));
    auto events = registered.Events();
    EXPECT_EQ(events[0].handle, fpr.handle);
    EXPECT_EQ(events[0].record, FprEvent(9));
    EXPECT_TRUE(later.Events().empty());
}

}  // namespace
