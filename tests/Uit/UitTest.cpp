// The UIT exports against a simulated UIT device on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "FamilyTable.h"
#include "SimFixture.h"
#include "TslUit.h"

using namespace tsltest;

namespace {

constexpr uint32_t kUit = 105;
constexpr uint32_t Command(uint32_t n) {
    return (105u << 16) + n;
}
using UitCallback = std::function<void(int, Np_UitEventInfo)>;

void Ignore(int, Np_UitEventInfo*, void*) {}

std::vector<ExportRow> Exports() {
    return {
        // The reads send a zero record, nothing of the caller's.
        Out("GetManufInfo", Command(1), Zeros(64), TSL_NET_UIT_GetManufInfo),
        In("SetManufInfo", Command(2), TSL_NET_UIT_SetManufInfo),
        Bare("DeleteManufInfo", Command(3), TSL_NET_UIT_DeleteManufInfo),
        Out("GetServerInfo", Command(4), Zeros(64), TSL_NET_UIT_GetServerInfo),
        In("SetServerInfo", Command(5), TSL_NET_UIT_SetServerInfo),
        Bare("DeleteServerInfo", Command(6), TSL_NET_UIT_DeleteServerInfo),
        InOut("GetEvent", 1035, TSL_NET_UIT_GetEvent),
        Setter("SetEventCallback", 1036, Mode(1),
               [](int h) { return TSL_NET_UIT_SetEventCallback(h, [](int, Np_UitEventInfo) {}); }),
        Setter("SetEventCallbackFull", 1036, Mode(2),
               [](int h) { return TSL_NET_UIT_SetEventCallbackFull(h, [](int, Np_UitEventInfo) {}); }),
        Setter("SetEventCallback pointer", 1036, Mode(1),
               [](int h) { return TSL_NET_UIT_SetEventCallback(h, Ignore); }),
        Setter("SetEventCallbackFull pointer", 1036, Mode(2),
               [](int h) { return TSL_NET_UIT_SetEventCallbackFull(h, Ignore); }),
        Setter("SetEventCallback empty", 1037, None(),
               [](int h) { return TSL_NET_UIT_SetEventCallback(h, UitCallback{}); }),
        Setter("SetEventCallbackFull null", 1037, None(),
               [](int h) { return TSL_NET_UIT_SetEventCallbackFull(h, TSL_UitEventCallback{}); }),
    };
}

TEST(Uit, EveryExportSendsItsRequestAndCopiesItsReplyWhole) {
    SimLogin uit(kUit);
    ASSERT_GT(uit.handle, 0);
    for (const ExportRow& row : Exports()) CheckRow(uit, kUit, row);
}

TEST(Uit, ExportsRefuseUnknownHandlesAndOtherFamilies) {
    SimLogin uit(kUit);
    SimLogin iot(TSL_DEVICE_IOT);
    ASSERT_GT(uit.handle, 0);
    ASSERT_GT(iot.handle, 0);
    for (const ExportRow& row : Exports()) CheckFrame(uit, iot, row);
}

TEST(Uit, SettingsReadBackAsTheyWereSetAndGoWhenDeleted) {
    SimLogin uit(kUit);
    const int h = uit.handle;
    ASSERT_GT(h, 0);
    Np_UitServerInfo server{};
    server.enable = 1;
    std::strcpy(server.address, "192.168.100.12");
    server.port = 6000;
    Np_UitManufInfo manuf{};
    manuf.manufacturer = 2;
    ASSERT_EQ(TSL_NET_UIT_SetServerInfo(h, server), 0);
    ASSERT_EQ(TSL_NET_UIT_SetManufInfo(h, manuf), 0);

    auto serverBack = Patterned<Np_UitServerInfo>(1);
    auto manufBack = Patterned<Np_UitManufInfo>(2);
    ASSERT_EQ(TSL_NET_UIT_GetServerInfo(h, &serverBack), 0);
    ASSERT_EQ(TSL_NET_UIT_GetManufInfo(h, &manufBack), 0);
    EXPECT_EQ(BytesOf(serverBack), BytesOf(server));
    EXPECT_EQ(BytesOf(manufBack), BytesOf(manuf));

    ASSERT_EQ(TSL_NET_UIT_DeleteServerInfo(h), 0);
    ASSERT_EQ(TSL_NET_UIT_GetServerInfo(h, &serverBack), 0);
    EXPECT_EQ(BytesOf(serverBack), Bytes(64, 0));
    ASSERT_EQ(TSL_NET_UIT_GetManufInfo(h, &manufBack), 0);
    EXPECT_EQ(BytesOf(manufBack), BytesOf(manuf));
    ASSERT_EQ(TSL_NET_UIT_DeleteManufInfo(h), 0);
    ASSERT_EQ(TSL_NET_UIT_GetManufInfo(h, &manufBack), 0);
    EXPECT_EQ(BytesOf(manufBack), Bytes(64, 0));

    auto stored = Patterned<Np_UitEventList>(8);
    uit.device->PutRecord("event", {}, BytesOf(stored));
    Np_UitEventList events{};
    ASSERT_EQ(TSL_NET_UIT_GetEvent(h, Np_EventQuery{}, &events), 0);
    EXPECT_EQ(BytesOf(events), BytesOf(stored));
}

TEST(Uit, RequestsCountOnTheFamilysOwnIdentities) {
    SimLogin uit(kUit);
    const int h = uit.handle;
    ASSERT_GT(h, 0);
    Np_UitManufInfo manuf;
    Np_UitEventList events;
    Np_Time time;
    ASSERT_EQ(TSL_NET_UIT_GetManufInfo(h, &manuf), 0);
    ASSERT_EQ(TSL_NET_DEV_GetTime(h, &time), 0);
    ASSERT_EQ(TSL_NET_UIT_GetEvent(h, Np_EventQuery{}, &events), 0);
    ASSERT_EQ(TSL_NET_UIT_GetManufInfo(h, &manuf), 0);
    auto reads = uit.server->RequestsFor(Command(1));
    auto queries = uit.server->RequestsFor(1035);
    ASSERT_EQ(reads.size(), 2u);
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].head.identity, reads[0].head.identity + 1);
    EXPECT_EQ(reads[1].head.identity, reads[0].head.identity + 2);
}

TEST(UitEvents, RecordsOfExactlyTheirSizeReachTheCallback) {
    SimLogin uit(kUit);
    ASSERT_GT(uit.handle, 0);
    CheckDelivery<Np_UitEventInfo>(uit, TSL_NET_UIT_SetEventCallback, TSL_NET_UIT_SetEventCallbackFull);
}

}  // namespace
