// The access-control exports against a simulated access controller on 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FamilyTable.h"
#include "SimFixture.h"
#include "TslAcc.h"

using namespace tsltest;

namespace {

constexpr uint32_t kAcc = 100;
using AccCallback = std::function<void(int, Np_AccEventInfo)>;

void Ignore(int, Np_AccEventInfo*, void*) {}

// The card-number request: the text and zeros, 48 bytes.
Bytes CardRequest(const std::string& number) {
    Bytes b(48, 0);
    std::memcpy(b.data(), number.data(), number.size());
    return b;
}

// A card number in a 32-byte field, its NUL followed by leftovers that
// must not travel.
void PutNumber(Bytes& field, const std::string& number) {
    std::memcpy(field.data(), number.c_str(), number.size() + 1);
}

const char kNumber[] = "4000123456";

std::vector<ExportRow> Exports() {
    ExportRow getCard{"GetCardInfo",
                      2000,
                      0,
                      sizeof(Np_AccCardInfo),
                      [](const Bytes&, const Bytes&) { return CardRequest(kNumber); },
                      [](int h, const Bytes&, Bytes& out) {
                          return TSL_NET_Acc_GetCardInfo(h, reinterpret_cast<Np_AccCardInfo*>(out.data()));
                      },
                      879,
                      4,
                      true,
                      [](Bytes&, Bytes& out) { PutNumber(out, kNumber); }};
    ExportRow deleteCard{"DeleteCardInfo",
                         2002,
                         32,
                         0,
                         [](const Bytes&, const Bytes&) { return CardRequest(kNumber); },
                         [](int h, const Bytes& in, Bytes&) {
                             return TSL_NET_Acc_DeleteCardInfo(h, reinterpret_cast<const char*>(in.data()));
                         }};
    deleteCard.prepare = [](Bytes& in, Bytes&) { PutNumber(in, kNumber); };
    // Add and modify send a list of one card.
    auto listOfOne = [](const Bytes& in, const Bytes&) {
        Bytes b(4 + in.size(), 0);
        b[0] = 1;
        std::copy(in.begin(), in.end(), b.begin() + 4);
        return b;
    };
    ExportRow setCard = In("SetCardInfo", 2003, TSL_NET_Acc_SetCardInfo);
    setCard.request = listOfOne;
    ExportRow modCard = In("ModCardInfo", 2004, TSL_NET_Acc_ModCardInfo);
    modCard.request = listOfOne;

    return {
        getCard,
        deleteCard,
        setCard,
        modCard,
        Bare("ClearCardInfo", 2005, TSL_NET_Acc_ClearCardInfo),
        Out("GetChannelInfo", 2006, RecordKey(), TSL_NET_Acc_GetChannelInfo),
        In("SetChannelInfo", 2007, TSL_NET_Acc_SetChannelInfo),
        Out("GetChannelState", 2008, RecordKey(), TSL_NET_Acc_GetChannelState),
        In("ChannelControl", 2009, TSL_NET_Acc_ChannelControl),
        Out("GetMultiLockInfo", 2010, RecordKey(), TSL_NET_Acc_GetMultiLockInfo),
        Index("DeleteMultiLockInfo", 2011, TSL_NET_Acc_DeleteMultiLockInfo),
        In("SetMultiLockInfo", 2012, TSL_NET_Acc_SetMultiLockInfo),
        Bare("ClearMultiLockInfo", 2013, TSL_NET_Acc_ClearMultiLockInfo),
        Out("GetMultiCardInfo", 2014, RecordKey(), TSL_NET_Acc_GetMultiCardInfo),
        Index("DeleteMultiCardInfo", 2015, TSL_NET_Acc_DeleteMultiCardInfo),
        In("SetMultiCardInfo", 2016, TSL_NET_Acc_SetMultiCardInfo),
        Bare("ClearMultiCardInfo", 2017, TSL_NET_Acc_ClearMultiCardInfo),
        Out("GetLinkageInfo", 2018, RecordKey(), TSL_NET_Acc_GetLinkageInfo),
        Index("DeleteLinkageInfo", 2019, TSL_NET_Acc_DeleteLinkageInfo),
        In("SetLinkageInfo", 2020, TSL_NET_Acc_SetLinkageInfo),
        Bare("ClearLinkageInfo", 2021, TSL_NET_Acc_ClearLinkageInfo),
        Out("GetAntiInfo", 2022, None(), TSL_NET_Acc_GetAntiInfo),
        In("SetAntiInfo", 2023, TSL_NET_Acc_SetAntiInfo),
        Bare("ClearAntiInfo", 2024, TSL_NET_Acc_ClearAntiInfo),
        Out("GetDeviceInfo", 2025, None(), TSL_NET_Acc_GetDeviceInfo),
        In("SetDeviceInfo", 2026, TSL_NET_Acc_SetDeviceInfo),
        Out("GetWorkModeParams", 2027, RecordKey(), TSL_NET_Acc_GetWorkModeParams),
        Index("DeleteWorkModeParams", 2028, TSL_NET_Acc_DeleteWorkModeParams),
        In("SetWorkModeParams", 2029, TSL_NET_Acc_SetWorkModeParams),
        Bare("ClearWorkModeParams", 2030, TSL_NET_Acc_ClearWorkModeParams),
        In("IOControl", 2031, TSL_NET_Acc_IOControl),
        Out("GetIOParams", 2032, RecordKey(), TSL_NET_Acc_GetIOParams),
        In("SetIOParams", 2033, TSL_NET_Acc_SetIOParams),
        Text("GetSystemInfo", 2034, sizeof(Np_AccSystemInfo), TSL_NET_Acc_GetSystemInfo),
        Out("GetFlashInfo", 2035, None(), TSL_NET_Acc_GetFlashInfo),
        InOut("GetCardGroupInfo", 2037, TSL_NET_Acc_GetCardGroupInfo),
        In("DeleteCardGroupSingle", 2038, TSL_NET_Acc_DeleteCardGroupSingle),
        In("SetCardGroupSingle", 2039, TSL_NET_Acc_SetCardGroupSingle),
        In("ClearCardGroupInfo", 2040, TSL_NET_Acc_ClearCardGroupInfo),
        Text("GetReaderId", 2041, 32, TSL_NET_Acc_GetReaderId),
        In("SetReaderId", 2042, TSL_NET_Acc_SetReaderId),
        InOut("GetEvent", 1035, TSL_NET_Acc_GetEvent),
        Setter("SetEventCallback", 1036, Mode(1),
               [](int h) { return TSL_NET_Acc_SetEventCallback(h, [](int, Np_AccEventInfo) {}); }),
        Setter("SetEventCallbackFull", 1036, Mode(2),
               [](int h) { return TSL_NET_Acc_SetEventCallbackFull(h, [](int, Np_AccEventInfo) {}); }),
        Setter("SetEventCallback pointer", 1036, Mode(1),
               [](int h) { return TSL_NET_Acc_SetEventCallback(h, Ignore); }),
        Setter("SetEventCallbackFull pointer", 1036, Mode(2),
               [](int h) { return TSL_NET_Acc_SetEventCallbackFull(h, Ignore); }),
        Setter("SetEventCallback null", 1037, None(),
               [](int h) { return TSL_NET_Acc_SetEventCallback(h, TSL_AccEventCallback{}); }),
        Setter("SetEventCallbackFull empty", 1037, None(),
               [](int h) { return TSL_NET_Acc_SetEventCallbackFull(h, AccCallback{}); }),
    };
}

TEST(Acc, EveryExportSendsItsRequestAndCopiesItsReplyWhole) {
    SimLogin acc(kAcc);
    ASSERT_GT(acc.handle, 0);
    for (const ExportRow& row : Exports()) CheckRow(acc, kAcc, row);
}

TEST(Acc, ExportsRefuseUnknownHandlesAndOtherFamilies) {
    SimLogin acc(kAcc);
    SimLogin ntp(TSL_DEVICE_NTP);
    ASSERT_GT(acc.handle, 0);
    ASSERT_GT(ntp.handle, 0);
    for (const ExportRow& row : Exports()) CheckFrame(acc, ntp, row);
}

TEST(Acc, SettingsReadBackAsTheyWereSet) {
    const std::vector<StoredKind> kinds = {
        Kind("Channel", true, TSL_NET_Acc_SetChannelInfo, TSL_NET_Acc_GetChannelInfo, nullptr, nullptr),
        Kind("MultiLock", true, TSL_NET_Acc_SetMultiLockInfo, TSL_NET_Acc_GetMultiLockInfo,
             TSL_NET_Acc_DeleteMultiLockInfo, TSL_NET_Acc_ClearMultiLockInfo),
        Kind("MultiCard", true, TSL_NET_Acc_SetMultiCardInfo, TSL_NET_Acc_GetMultiCardInfo,
             TSL_NET_Acc_DeleteMultiCardInfo, TSL_NET_Acc_ClearMultiCardInfo),
        Kind("Linkage", true, TSL_NET_Acc_SetLinkageInfo, TSL_NET_Acc_GetLinkageInfo,
             TSL_NET_Acc_DeleteLinkageInfo, TSL_NET_Acc_ClearLinkageInfo),
        Kind("WorkMode", true, TSL_NET_Acc_SetWorkModeParams, TSL_NET_Acc_GetWorkModeParams,
             TSL_NET_Acc_DeleteWorkModeParams, TSL_NET_Acc_ClearWorkModeParams),
        Kind("IOParams", true, TSL_NET_Acc_SetIOParams, TSL_NET_Acc_GetIOParams, nullptr, nullptr),
        Kind("Anti", false, TSL_NET_Acc_SetAntiInfo, TSL_NET_Acc_GetAntiInfo, nullptr,
             TSL_NET_Acc_ClearAntiInfo),
        Kind("Device", false, TSL_NET_Acc_SetDeviceInfo, TSL_NET_Acc_GetDeviceInfo, nullptr, nullptr),
    };
    SimLogin acc(kAcc);
    ASSERT_GT(acc.handle, 0);
    for (const StoredKind& kind : kinds) CheckStored(acc.handle, kind);
}

Np_AccCardInfo Card(const std::string& number, uint8_t seed) {
    auto card = Patterned<Np_AccCardInfo>(seed);
    std::memset(card.cardNo, 0, sizeof card.cardNo);
    std::memcpy(card.cardNo, number.data(), std::min(number.size(), sizeof card.cardNo));
    return card;
}

Np_AccCardInfo Query(const std::string& number) {
    auto query = Patterned<Np_AccCardInfo>(0x66);
    std::memset(query.cardNo, 0, sizeof query.cardNo);
    std::memcpy(query.cardNo, number.data(), number.size());
    return query;
}

TEST(Acc, CardsCardGroupsAndReadersReadBack) {
    SimLogin acc(kAcc);
    const int h = acc.handle;
    ASSERT_GT(h, 0);
    const auto a = Card("1000000001", 11), b = Card("1000000002", 12);
    ASSERT_EQ(TSL_NET_Acc_SetCardInfo(h, a), 0);
    ASSERT_EQ(TSL_NET_Acc_SetCardInfo(h, b), 0);
    auto read = Query("1000000001");
    ASSERT_EQ(TSL_NET_Acc_GetCardInfo(h, &read), 0);
    EXPECT_EQ(BytesOf(read), BytesOf(a));

    auto changed = a;
    std::strcpy(changed.userName, "changed");
    ASSERT_EQ(TSL_NET_Acc_ModCardInfo(h, changed), 0);
    EXPECT_EQ(TSL_NET_Acc_ModCardInfo(h, Card("1000000009", 1)), -1008);
    read = Query("1000000001");
    ASSERT_EQ(TSL_NET_Acc_GetCardInfo(h, &read), 0);
    EXPECT_EQ(BytesOf(read), BytesOf(changed));

    // A card that is gone comes back as the empty first slot of the list.
    ASSERT_EQ(TSL_NET_Acc_DeleteCardInfo(h, "1000000001"), 0);
    read = Query("1000000001");
    ASSERT_EQ(TSL_NET_Acc_GetCardInfo(h, &read), 0);
    EXPECT_EQ(BytesOf(read), Bytes(sizeof read, 0));
    read = Query("1000000002");
    ASSERT_EQ(TSL_NET_Acc_GetCardInfo(h, &read), 0);
    EXPECT_EQ(BytesOf(read), BytesOf(b));
    ASSERT_EQ(TSL_NET_Acc_ClearCardInfo(h), 0);
    ASSERT_EQ(TSL_NET_Acc_GetCardInfo(h, &read), 0);
    EXPECT_EQ(BytesOf(read), Bytes(sizeof read, 0));

    Np_AccCardGroupInfo group{};
    std::strcpy(group.cardNo, "1000000002");
    auto groupsOf = [&] {
        Np_AccCardGroupList list;
        std::memset(&list, 0xEE, sizeof list);
        EXPECT_EQ(TSL_NET_Acc_GetCardGroupInfo(h, group, &list), 0);
        return Bytes(list.groups, list.groups + 4);
    };
    for (uint8_t g : {3, 7, 3}) {
        group.groupNo = g;
        ASSERT_EQ(TSL_NET_Acc_SetCardGroupSingle(h, group), 0);
    }
    EXPECT_EQ(groupsOf(), (Bytes{3, 7, 0, 0}));
    group.groupNo = 3;
    ASSERT_EQ(TSL_NET_Acc_DeleteCardGroupSingle(h, group), 0);
    EXPECT_EQ(groupsOf(), (Bytes{7, 0, 0, 0}));
    group.groupNo = 0;
    ASSERT_EQ(TSL_NET_Acc_ClearCardGroupInfo(h, group), 0);
    EXPECT_EQ(groupsOf(), (Bytes{0, 0, 0, 0}));

    Np_AccReaderId reader{};
    std::strcpy(reader.serialNo, "SN-0042-ABCDEFG");
    reader.address = 4;
    ASSERT_EQ(TSL_NET_Acc_SetReaderId(h, reader), 0);
    Np_AccReaderId ask{};
    ask.address = 4;
    char serial[32];
    std::memset(serial, 0xEE, sizeof serial);
    ASSERT_EQ(TSL_NET_Acc_GetReaderId(h, ask, serial), 0);
    Bytes expected(32, 0);
    std::memcpy(expected.data(), "SN-0042-ABCDEFG", 15);
    EXPECT_EQ(Bytes(serial, serial + 32), expected);

    Np_EventQuery query{};
    Np_AccEventList events{};
    auto stored = Patterned<Np_AccEventList>(5);
    acc.device->PutRecord("event", {}, BytesOf(stored));
    ASSERT_EQ(TSL_NET_Acc_GetEvent(h, query, &events), 0);
    EXPECT_EQ(BytesOf(events), BytesOf(stored));
}

// The request holds 31 characters and a NUL: a 32-character number cannot
// be sent, and cutting it would name the card with its first 31.
TEST(Acc, CardNumbersThatDoNotFitAreRefusedNotCut) {
    SimLogin acc(kAcc);
    const int h = acc.handle;
    ASSERT_GT(h, 0);
    const std::string n31(31, '7'), n32 = n31 + "8";
    ASSERT_EQ(TSL_NET_Acc_SetCardInfo(h, Card(n31, 1)), 0);
    ASSERT_EQ(TSL_NET_Acc_SetCardInfo(h, Card(n32, 2)), 0);
    acc.server->ClearRequests();

    // A field of 32 characters has no NUL; nothing past it may be read.
    std::unique_ptr<char[]> exact(new char[32]);
    std::memcpy(exact.get(), n32.data(), 32);
    EXPECT_EQ(TSL_NET_Acc_DeleteCardInfo(h, exact.get()), -18);
    EXPECT_EQ(TSL_NET_Acc_DeleteCardInfo(h, (n32 + "99999999").c_str()), -18);
    auto query = Card(n32, 3);
    const Bytes before = BytesOf(query);
    EXPECT_EQ(TSL_NET_Acc_GetCardInfo(h, &query), -18);
    EXPECT_EQ(BytesOf(query), before);
    EXPECT_TRUE(acc.server->RequestsFor(2000).empty());
    EXPECT_TRUE(acc.server->RequestsFor(2002).empty());

    // The 31-character card is still there, and works as any other.
    auto read = Query(n31);
    ASSERT_EQ(TSL_NET_Acc_GetCardInfo(h, &read), 0);
    EXPECT_EQ(BytesOf(read), BytesOf(Card(n31, 1)));
    EXPECT_EQ(acc.LastPayload(2000), CardRequest(n31));
    ASSERT_EQ(TSL_NET_Acc_DeleteCardInfo(h, n31.c_str()), 0);
    EXPECT_EQ(acc.LastPayload(2002), CardRequest(n31));
    EXPECT_EQ(TSL_NET_Acc_DeleteCardInfo(h, n31.c_str()), -1008);
}

TEST(Acc, CardReadThatTimesOutLeavesTheRecordZero) {
    SimLogin acc(kAcc, 200);
    ASSERT_GT(acc.handle, 0);
    acc.device->SetFault(2000, {devsim::Fault::Silent});
    auto card = Query(kNumber);
    EXPECT_EQ(TSL_NET_Acc_GetCardInfo(acc.handle, &card), -4);
    EXPECT_EQ(BytesOf(card), Bytes(sizeof card, 0));
}

TEST(Acc, RequestsCountOnTheFamilysOwnIdentities) {
    SimLogin acc(kAcc);
    const int h = acc.handle;
    ASSERT_GT(h, 0);
    Np_AccFlashInfo flash;
    Np_Time time;
    Np_AccEventList events;
    ASSERT_EQ(TSL_NET_Acc_GetFlashInfo(h, &flash), 0);
    ASSERT_EQ(TSL_NET_DEV_GetTime(h, &time), 0);
    ASSERT_EQ(TSL_NET_Acc_SetEventCallback(h, [](int, Np_AccEventInfo) {}), 0);
    ASSERT_EQ(TSL_NET_Acc_GetEvent(h, Np_EventQuery{}, &events), 0);
    ASSERT_EQ(TSL_NET_Acc_GetFlashInfo(h, &flash), 0);
    auto flashes = acc.server->RequestsFor(2035);
    auto queries = acc.server->RequestsFor(1035);
    ASSERT_EQ(flashes.size(), 2u);
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].head.identity, flashes[0].head.identity + 1);
    EXPECT_EQ(flashes[1].head.identity, flashes[0].head.identity + 2);
}

TEST(AccEvents, RecordsOfExactlyTheirSizeReachTheCallback) {
    SimLogin acc(kAcc);
    ASSERT_GT(acc.handle, 0);
    CheckDelivery<Np_AccEventInfo>(acc, TSL_NET_Acc_SetEventCallback, TSL_NET_Acc_SetEventCallbackFull);
}

Bytes AccEvent(int32_t code) {
    return EventPayload(code, sizeof(Np_AccEventInfo));
}

TEST(AccEvents, RefusedSubscriptionKeepsThePreviousCallback) {
    SimLogin acc(kAcc);
    const int h = acc.handle;
    ASSERT_GT(h, 0);
    EventLog<Np_AccEventInfo> kept, refused;
    ASSERT_EQ(TSL_NET_Acc_SetEventCallback(h, kept.Callback()), 0);
    acc.device->SetFault(1036, {devsim::Fault::ResultCode, 5});
    EXPECT_EQ(TSL_NET_Acc_SetEventCallbackFull(h, refused.Callback()), -1005);
    EXPECT_EQ(TSL_NET_Acc_SetEventCallback(h, EventLog<Np_AccEventInfo>::Collect), -1005);
    acc.server->Push(1800, AccEvent(1));
    ASSERT_TRUE(kept.WaitFor(1));
    EXPECT_EQ(refused.Count(), 0u);
}

TEST(AccEvents, EmptyCallbackUnsubscribesWhateverTheAnswer) {
    SimLogin acc(kAcc);
    const int h = acc.handle;
    ASSERT_GT(h, 0);
    EventLog<Np_AccEventInfo> log;
    ASSERT_EQ(TSL_NET_Acc_SetEventCallbackFull(h, log.Callback()), 0);
    acc.device->SetFault(1037, {devsim::Fault::ResultCode, 5});
    EXPECT_EQ(TSL_NET_Acc_SetEventCallbackFull(h, AccCallback{}), -1005);
    ASSERT_EQ(acc.server->RequestsFor(1037).size(), 1u);
    EXPECT_TRUE(acc.LastPayload(1037).empty());
    acc.server->Push(1800, AccEvent(1));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(log.Count(), 0u);
}

// A callback running in a worker while its replacement is set: the setter
// returns only once that call is over, and the old callback never runs again.
TEST(AccEvents, ReplacedCallbackIsNotCalledAfterTheSetterReturned) {
    SimLogin acc(kAcc);
    const int h = acc.handle;
    ASSERT_GT(h, 0);
    std::mutex m;
    std::condition_variable cv;
    bool entered = false, release = false;
    std::atomic<int> oldCalls{0};
    std::atomic<bool> oldDone{false};
    ASSERT_EQ(TSL_NET_Acc_SetEventCallback(h,
                                           [&](int, Np_AccEventInfo) {
                                               ++oldCalls;
                                               std::unique_lock<std::mutex> lock(m);
                                               entered = true;
                                               cv.notify_all();
                                               cv.wait(lock, [&] { return release; });
                                               oldDone = true;
                                           }),
              0);
    acc.server->Push(1800, AccEvent(1));
    {
        std::unique_lock<std::mutex> lock(m);
        ASSERT_TRUE(cv.wait_for(lock, 2s, [&] { return entered; }));
    }

    EventLog<Np_AccEventInfo> next;
    std::atomic<bool> returned{false}, oldDoneAtReturn{false};
    std::thread setter([&] {
        EXPECT_EQ(TSL_NET_Acc_SetEventCallback(h, next.Callback()), 0);
        oldDoneAtReturn = oldDone.load();
        returned = true;
    });
    ASSERT_TRUE(acc.server->WaitForCount(1036, 2, 2s));
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(returned.load());
    {
        std::lock_guard<std::mutex> lock(m);
        release = true;
        cv.notify_all();
    }
    setter.join();
    EXPECT_TRUE(oldDoneAtReturn.load());

    acc.server->Push(1800, AccEvent(2));
    ASSERT_TRUE(next.WaitFor(1));
    EXPECT_EQ(CodeOf(next.Events()[0].record), 2);
    EXPECT_EQ(oldCalls.load(), 1);
}

TEST(AccEvents, CallbackMaySetItsOwnReplacement) {
    SimLogin acc(kAcc);
    const int h = acc.handle;
    ASSERT_GT(h, 0);
    EventLog<Np_AccEventInfo> next;
    std::mutex m;
    std::condition_variable cv;
    std::optional<int> status;
    std::atomic<int> calls{0};
    ASSERT_EQ(TSL_NET_Acc_SetEventCallback(h,
                                           [&](int handle, Np_AccEventInfo) {
                                               ++calls;
                                               int s = TSL_NET_Acc_SetEventCallback(handle, next.Callback());
                                               std::lock_guard<std::mutex> lock(m);
                                               status = s;
                                               cv.notify_all();
                                           }),
              0);
    acc.server->Push(1800, AccEvent(1));
    {
        std::unique_lock<std::mutex> lock(m);
        ASSERT_TRUE(cv.wait_for(lock, 3s, [&] { return status.has_value(); }));
        EXPECT_EQ(*status, 0);
    }
    acc.server->Push(1800, AccEvent(2));
    ASSERT_TRUE(next.WaitFor(1));
    EXPECT_EQ(CodeOf(next.Events()[0].record), 2);
    EXPECT_EQ(calls.load(), 1);
}

// Events of one device run on several workers at once: two deliveries in the
// callback, one clearing it, the other calling Cleanup. Both return, and so
// does a later Cleanup.
TEST(AccEvents, TwoDeliveriesClearingAndCleaningUpBothReturn) {
    auto acc = std::make_unique<SimLogin>(kAcc);
    const int h = acc->handle;
    ASSERT_GT(h, 0);
    // Left to leak if a delivery hangs, so that the workers still find it.
    struct Shared {
        std::mutex m;
        std::condition_variable cv;
        int entered = 0, returned = 0;
    };
    auto* shared = new Shared;
    ASSERT_EQ(TSL_NET_Acc_SetEventCallback(h,
                                           [shared](int handle, Np_AccEventInfo) {
                                               int me;
                                               {
                                                   std::unique_lock<std::mutex> lock(shared->m);
                                                   me = shared->entered++;
                                                   shared->cv.notify_all();
                                                   shared->cv.wait_for(lock, 3s,
                                                                       [&] { return shared->entered >= 2; });
                                               }
                                               if (me == 0)
                                                   TSL_NET_Acc_SetEventCallback(handle, AccCallback{});
                                               else
                                                   TSL_NET_DEV_Cleanup();
                                               std::lock_guard<std::mutex> lock(shared->m);
                                               ++shared->returned;
                                               shared->cv.notify_all();
                                           }),
              0);
    acc->server->Push(1800, AccEvent(1));
    acc->server->Push(1800, AccEvent(2));
    std::unique_lock<std::mutex> lock(shared->m);
    if (!shared->cv.wait_for(lock, 10s, [&] { return shared->returned == 2; })) {
        // The library cannot unload now either; end without waiting for it.
        ADD_FAILURE() << "a delivery never returned (" << shared->entered << " entered)";
        std::fflush(stdout);
        std::_Exit(1);
    }
    lock.unlock();
    acc->handle = 0;
    acc.reset();
    EXPECT_EQ(TSL_NET_DEV_Cleanup(), 0);
    delete shared;
}

}  // namespace
