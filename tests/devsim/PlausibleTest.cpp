// The records a device of tessaly-devsim starts with, read through the SDK
// as a newcomer's first reads would: each must look like a device in
// service, so that a decoder returning zeros cannot pass for a working read.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Plausible.h"
#include "SimFixture.h"
#include "Tessaly.h"

using namespace tsltest;

namespace {

template <class T, class Record>
T Load(const Record& record, size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&record) + offset, sizeof value);
    return value;
}

template <size_t N>
std::string Text(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

std::tm Now() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

std::time_t HostTime(const Np_Time& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

// Dated today and no later than now.
void ExpectToday(const Np_Time& t) {
    const std::tm now = Now();
    EXPECT_EQ(t.year, now.tm_year + 1900);
    EXPECT_EQ(t.month, now.tm_mon + 1);
    EXPECT_EQ(t.day, now.tm_mday);
    EXPECT_LE(HostTime(t), std::time(nullptr));
}

bool PrivateIPv4(const std::string& text) {
    in_addr a{};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
    const uint32_t ip = ntohl(a.s_addr);
    return (ip >> 24) == 10 || (ip >> 20) == 0xAC1 || (ip >> 16) == 0xC0A8;
}

// Today's range, as the query page asks by default.
Np_EventQuery TodaysPage(int page) {
    const std::tm now = Now();
    const uint16_t year = static_cast<uint16_t>(now.tm_year + 1900);
    const uint8_t month = static_cast<uint8_t>(now.tm_mon + 1), day = static_cast<uint8_t>(now.tm_mday);
    Np_EventQuery q{};
    q.startTime = Np_Time{year, month, day, 0, 0, 0, 0};
    q.endTime = Np_Time{year, month, day, 23, 59, 59, 0};
    q.pageNo = page;
    q.pageSize = 5;
    return q;
}

// A stored list of today: `read(page, list)` fills one page. The first
// page is full and every record on it dated today; the last holds the rest.
template <class List>
void ExpectTodaysPages(const std::function<int(const Np_EventQuery&, List&)>& read) {
    List first{};
    ASSERT_EQ(read(TodaysPage(1), first), 0);
    EXPECT_GT(first.total, 5) << "more than one page";
    EXPECT_EQ(first.pageNo, 1);
    ASSERT_EQ(first.count, 5);
    for (int i = 0; i < first.count; ++i) ExpectToday(first.records[i].time);
    List second{};
    ASSERT_EQ(read(TodaysPage(2), second), 0);
    EXPECT_EQ(second.total, first.total);
    EXPECT_EQ(second.count, first.total - 5);
    EXPECT_NE(std::memcmp(&first.records[0], &second.records[0], sizeof first.records[0]), 0);

    Np_EventQuery lastYear = TodaysPage(1);
    lastYear.startTime = Np_Time{static_cast<uint16_t>(lastYear.startTime.year - 1), 1, 1, 0, 0, 0, 0};
    lastYear.endTime = Np_Time{lastYear.startTime.year, 12, 31, 23, 59, 59, 0};
    List none{};
    ASSERT_EQ(read(lastYear, none), 0);
    EXPECT_EQ(none.total, 0) << "nothing outside the range";
    EXPECT_EQ(none.count, 0);
}

struct Family {
    int type;
    std::function<void(int handle)> firstReads;
};

void AccReads(int h) {
    Np_AccChannelInfo door{};
    door.channel = 1;
    ASSERT_EQ(TSL_NET_Acc_GetChannelInfo(h, &door), 0);
    EXPECT_EQ(door.channel, 1);
    EXPECT_GT(door.openDuration, 0);
    Np_AccCardInfo card{};
    std::strcpy(card.cardNo, devsim::plausible::AccCards().front().cardNo);
    ASSERT_EQ(TSL_NET_Acc_GetCardInfo(h, &card), 0);
    EXPECT_FALSE(Text(card.userName).empty());
    EXPECT_GT(Load<int32_t>(card, offsetof(Np_AccCardInfo, employeeNo)), 0);
    ExpectTodaysPages<Np_AccEventList>(
        [h](const Np_EventQuery& q, Np_AccEventList& l) { return TSL_NET_Acc_GetEvent(h, q, &l); });
}

void IoTReads(int h) {
    Np_IoTInputParams in{};
    in.channel = 1;
    ASSERT_EQ(TSL_NET_IoT_GetInputParams(h, &in), 0);
    EXPECT_FALSE(Text(in.name).empty());
    Np_IoTOutputParams out{};
    out.channel = 1;
    ASSERT_EQ(TSL_NET_IoT_GetOutputParams(h, &out), 0);
    EXPECT_FALSE(Text(out.name).empty());
    Np_IoTInputState state{};
    state.group = 1;
    ASSERT_EQ(TSL_NET_IoT_GetInputState(h, &state), 0);
    EXPECT_EQ(state.group, 1);
    EXPECT_NE(state.online, 0);
    ExpectTodaysPages<Np_IoTEventList>(
        [h](const Np_EventQuery& q, Np_IoTEventList& l) { return TSL_NET_IoT_GetEvent(h, q, &l); });
}

void FsuReads(int h) {
    Np_FsuAnalogParams analog{};
    analog.channel = 1;
    ASSERT_EQ(TSL_NET_FSU_GetAnalogParams(h, &analog), 0);
    EXPECT_FALSE(Text(analog.name).empty());
    EXPECT_GT(Load<float>(analog, offsetof(Np_FsuAnalogParams, upperThreshold)),
              Load<float>(analog, offsetof(Np_FsuAnalogParams, lowerThreshold)));
    Np_FsuInputParams input{};
    input.channel = 1;
    ASSERT_EQ(TSL_NET_FSU_GetInputParams(h, &input), 0);
    EXPECT_FALSE(Text(input.name).empty());
    Np_FsuModbusParams peripheral{};
    ASSERT_EQ(TSL_NET_FSU_GetModbusParams(h, &peripheral), 0);
    EXPECT_FALSE(Text(peripheral.name).empty());
    EXPECT_GT(peripheral.dataLength, 0);
    Np_FsuModbusValues values{};
    ASSERT_EQ(TSL_NET_FSU_GetModbusData(h, &values), 0);
    EXPECT_EQ(values.validLength, peripheral.dataLength);
    EXPECT_NE(values.online, 0);
    EXPECT_FALSE(Text(values.names[0]).empty());
    Np_FsuRegisterParams group{};
    ASSERT_EQ(TSL_NET_FSU_GetRegisterParams(h, &group), 0);
    EXPECT_FALSE(Text(group.name[0]).empty());
    ExpectTodaysPages<Np_FsuEventList>(
        [h](const Np_EventQuery& q, Np_FsuEventList& l) { return TSL_NET_FSU_GetEvent(h, q, &l); });
}

void NtpReads(int h) {
    Np_NtpLocationInfo where{};
    ASSERT_EQ(TSL_NET_Ntp_GetDevicLocationInfo(h, &where), 0);
    EXPECT_FALSE(Text(where.longitude).empty());
    EXPECT_FALSE(Text(where.latitude).empty());
    EXPECT_GT(where.satelliteNum, 0);
}

void FprReads(int h) {
    Np_FprUserKey key{};
    std::memcpy(key.data, "1001", 4);
    auto user = std::make_unique<Np_FprUserData>();
    ASSERT_EQ(TSL_NET_FPR_GetUserData(h, key, user.get()), 0);
    EXPECT_EQ(std::memcmp(user->data, key.data, sizeof key.data), 0) << "the user the key names";
    const char* name = reinterpret_cast<const char*>(user->data + sizeof key.data);
    EXPECT_GT(strnlen(name, 32), 0u);
}

void UitReads(int h) {
    Np_UitServerInfo server{};
    ASSERT_EQ(TSL_NET_UIT_GetServerInfo(h, &server), 0);
    EXPECT_TRUE(PrivateIPv4(Text(server.address))) << Text(server.address);
    EXPECT_GT(Load<int32_t>(server, offsetof(Np_UitServerInfo, port)), 0);
    ExpectTodaysPages<Np_UitEventList>(
        [h](const Np_EventQuery& q, Np_UitEventList& l) { return TSL_NET_UIT_GetEvent(h, q, &l); });
}

const Family kFamilies[] = {
    {TSL_DEVICE_ACC, AccReads}, {TSL_DEVICE_IOT, IoTReads}, {TSL_DEVICE_FSU, FsuReads},
    {TSL_DEVICE_NTP, NtpReads}, {TSL_DEVICE_FPR, FprReads}, {TSL_DEVICE_UIT, UitReads},
};

// What every type answers first: clock, identity, network, buses, NTP, log.
void CommonReads(int h) {
    Np_Time time{};
    ASSERT_EQ(TSL_NET_DEV_GetTime(h, &time), 0);
    EXPECT_GE(time.year, Now().tm_year + 1900);
    EXPECT_GE(time.month, 1);
    EXPECT_LE(time.month, 12);
    EXPECT_GE(time.day, 1);
    EXPECT_LE(time.day, 31);
    EXPECT_NEAR(static_cast<double>(HostTime(time)), static_cast<double>(std::time(nullptr)), 5)
        << "the host's local time";

    Np_DeviceInfo info{};
    ASSERT_EQ(TSL_NET_DEV_GetDeviceInfo(h, &info), 0);
    for (const std::string& field :
         {Text(info.serialNo), Text(info.deviceName), Text(info.deviceModel), Text(info.protocolVersion),
          Text(info.firmwareVersion), Text(info.hardwareVersion)})
        EXPECT_FALSE(field.empty());
    unsigned octets[6];
    char end = 0;
    ASSERT_EQ(std::sscanf(info.mac, "%2x:%2x:%2x:%2x:%2x:%2x%c", &octets[0], &octets[1], &octets[2],
                          &octets[3], &octets[4], &octets[5], &end),
              6)
        << Text(info.mac);
    EXPECT_EQ(octets[0] & 0x03, 0x02u) << "a locally administered unicast address: " << Text(info.mac);

    Np_DeviceNameInfo name{};
    ASSERT_EQ(TSL_NET_DEV_GetDeviceNameInfo(h, &name), 0);
    EXPECT_EQ(Text(name.name), Text(info.deviceName));
    EXPECT_EQ(Text(name.model), Text(info.deviceModel));

    for (auto get : {TSL_NET_DEV_GetDeviceNetworkInfo, TSL_NET_DEV_GetDeviceNetworkInfo2}) {
        Np_DeviceNetworkInfo net{};
        ASSERT_EQ(get(h, &net), 0);
        EXPECT_TRUE(PrivateIPv4(Text(net.ip))) << Text(net.ip);
        EXPECT_TRUE(PrivateIPv4(Text(net.gateway))) << Text(net.gateway);
        EXPECT_EQ(Text(net.mask), "255.255.255.0");
        EXPECT_GT(Load<int32_t>(net, offsetof(Np_DeviceNetworkInfo, port)), 0);
    }

    Np_DeviceRs485Info bus{};
    ASSERT_EQ(TSL_NET_DEV_GetDeviceRs485Info(h, &bus), 0);
    for (const Np_Rs485Port& port : {bus.upstream, bus.downstream}) {
        EXPECT_GE(port.baudRate, 1200);
        EXPECT_EQ(port.dataBits, 8);
        EXPECT_GE(port.stopBits, 1);
        EXPECT_LE(port.parity, 2);
    }

    Np_NtpInfo ntp{};
    ASSERT_EQ(TSL_NET_DEV_GetNtpInfo(h, &ntp), 0);
    EXPECT_EQ(ntp.enable, 1);
    EXPECT_TRUE(PrivateIPv4(Text(ntp.serverIp))) << Text(ntp.serverIp);
    EXPECT_EQ(Load<int32_t>(ntp, offsetof(Np_NtpInfo, serverPort)), 123);

    ExpectTodaysPages<Np_LogList>(
        [h](const Np_EventQuery& q, Np_LogList& l) { return TSL_NET_DEV_GetLog(h, q, &l); });
}

TEST(Plausible, FirstReadsOfEveryFamilyLookLikeADeviceInService) {
    for (const Family& family : kFamilies) {
        SCOPED_TRACE("type " + std::to_string(family.type));
        SimLogin device(family.type);
        ASSERT_GT(device.handle, 0);
        devsim::plausible::Apply(*device.device);
        CommonReads(device.handle);
        family.firstReads(device.handle);
    }
}

// A set time reads back as set and runs on from there; a record that is no
// date is refused and the clock keeps its time.
TEST(Plausible, TheClockRunsOnFromWhatWasSet) {
    SimLogin device(TSL_DEVICE_ACC);
    ASSERT_GT(device.handle, 0);
    devsim::plausible::RunClock(*device.device);
    const Np_Time set{2031, 2, 28, 23, 59, 58, 0};
    ASSERT_EQ(TSL_NET_DEV_SetTime(device.handle, set), 0);
    EXPECT_EQ(device.device->GetRecord("time", {}), BytesOf(set));
    Np_Time read{};
    ASSERT_EQ(TSL_NET_DEV_GetTime(device.handle, &read), 0);
    const double since = std::difftime(HostTime(read), HostTime(set));
    EXPECT_GE(since, 0);
    EXPECT_LE(since, 3);

    const Np_Time refused[] = {{2031, 13, 1, 0, 0, 0, 0},
                               {2031, 2, 30, 0, 0, 0, 0},
                               {2031, 1, 1, 24, 0, 0, 0},
                               {0, 0, 0, 0, 0, 0, 0}};
    for (const Np_Time& t : refused) {
        EXPECT_EQ(TSL_NET_DEV_SetTime(device.handle, t), ERR_DEV_INVALID_PARAM);
        ASSERT_EQ(TSL_NET_DEV_GetTime(device.handle, &read), 0);
        EXPECT_EQ(read.year, 2031);
    }
}

// Stored records change as the device is told and the lists empty when
// cleared, plausible records or not.
TEST(Plausible, WritesAndClearsStillTakeEffect) {
    SimLogin device(TSL_DEVICE_UIT);
    ASSERT_GT(device.handle, 0);
    devsim::plausible::Apply(*device.device);
    Np_DeviceNameInfo name{};
    std::strcpy(name.name, "西门用传");
    std::strcpy(name.model, "TSL-UT106");
    ASSERT_EQ(TSL_NET_DEV_SetDeviceNameInfo(device.handle, name), 0);
    Np_DeviceNameInfo read{};
    ASSERT_EQ(TSL_NET_DEV_GetDeviceNameInfo(device.handle, &read), 0);
    EXPECT_EQ(BytesOf(read), BytesOf(name));

    ASSERT_EQ(TSL_NET_DEV_ClearLog(device.handle), 0);
    ASSERT_EQ(TSL_NET_DEV_ClearEvent(device.handle), 0);
    Np_LogList log{};
    ASSERT_EQ(TSL_NET_DEV_GetLog(device.handle, TodaysPage(1), &log), 0);
    EXPECT_EQ(log.total, 0);
    EXPECT_EQ(log.count, 0);
    Np_UitEventList events{};
    ASSERT_EQ(TSL_NET_UIT_GetEvent(device.handle, TodaysPage(1), &events), 0);
    EXPECT_EQ(events.total, 0);
}

// ------------------------------------------------------------ access controller

// The ids a controller lists for one kind of its settings.
std::vector<int> IdsOf(int h, uint32_t kind) {
    Np_IdListQuery query{};
    query.kind = kind;
    Np_IdList list{};
    EXPECT_EQ(TSL_NET_DEV_GetIdList(h, query, &list), 0) << "kind " << kind;
    EXPECT_LE(list.count, sizeof list.ids);
    return std::vector<int>(list.ids, list.ids + std::min<size_t>(list.count, sizeof list.ids));
}

bool Holds(const std::vector<int>& ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// `call(record)` on a zeroed record, which `out` then holds as read.
template <class Record, class Call>
int ReadInto(devsim::Bytes& out, Call call) {
    Record r{};
    const int result = call(r);
    out = BytesOf(r);
    return result;
}

std::string ReaderSerial(int h, int address) {
    Np_AccReaderId query{};
    query.address = static_cast<uint8_t>(address);
    char serial[32] = {};
    EXPECT_EQ(TSL_NET_Acc_GetReaderId(h, query, serial), 0) << "address " << address;
    return std::string(serial, strnlen(serial, sizeof serial));
}

// What the controller's pages read first, each as its page's first press
// asks: a keyed read names the first id its list offers (door and reader 1
// where the page offers no list). The simulator echoes the key into a
// record it does not hold, so only what follows the key counts.
TEST(Plausible, AccessControllerPagesFirstReadsAreNotAllZero) {
    SimLogin device(TSL_DEVICE_ACC);
    ASSERT_GT(device.handle, 0);
    devsim::plausible::Apply(*device.device);
    const int h = device.handle;
    const auto first = [h](uint32_t kind) {
        const std::vector<int> ids = IdsOf(h, kind);
        return ids.empty() ? 0 : ids.front();
    };
    using devsim::Bytes;
    const struct {
        const char* what;
        size_t keyBytes;
        std::function<int(Bytes&)> read;
    } reads[] = {
        {"parameters", 0,
         [&](Bytes& b) {
             return ReadInto<Np_AccDeviceInfo>(b, [&](auto& r) { return TSL_NET_Acc_GetDeviceInfo(h, &r); });
         }},
        {"storage", 0,
         [&](Bytes& b) {
             return ReadInto<Np_AccFlashInfo>(b, [&](auto& r) { return TSL_NET_Acc_GetFlashInfo(h, &r); });
         }},
        {"system text", 0,
         [&](Bytes& b) {
             char text[256] = {};
             const int result = TSL_NET_Acc_GetSystemInfo(h, text);
             b.assign(text, text + sizeof text);
             return result;
         }},
        {"reader 1", 0,
         [&](Bytes& b) {
             const std::string serial = ReaderSerial(h, 1);
             b.assign(serial.begin(), serial.end());
             return 0;
         }},
        {"interlock of door 1", 1,
         [&](Bytes& b) {
             return ReadInto<Np_AccMultiLockInfo>(b, [&](auto& r) {
                 r.doorNo = 1;
                 return TSL_NET_Acc_GetMultiLockInfo(h, &r);
             });
         }},
        {"anti-passback", 0,
         [&](Bytes& b) {
             return ReadInto<Np_AccAntiInfo>(b, [&](auto& r) { return TSL_NET_Acc_GetAntiInfo(h, &r); });
         }},
        {"combination", 1,
         [&](Bytes& b) {
             return ReadInto<Np_AccMultiCardInfo>(b, [&](auto& r) {
                 r.combinationId = static_cast<uint8_t>(first(1));
                 return TSL_NET_Acc_GetMultiCardInfo(h, &r);
             });
         }},
        {"linkage", 1,
         [&](Bytes& b) {
             return ReadInto<Np_AccLinkageInfo>(b, [&](auto& r) {
                 r.linkageId = static_cast<uint8_t>(first(0));
                 return TSL_NET_Acc_GetLinkageInfo(h, &r);
             });
         }},
        {"week plan", 2,
         [&](Bytes& b) {
             return ReadInto<Np_WeekPlan>(b, [&](auto& r) {
                 r.id = static_cast<uint16_t>(first(3));
                 return TSL_NET_DEV_GetWeekPlan(h, &r);
             });
         }},
        {"holiday plan", 2,
         [&](Bytes& b) {
             return ReadInto<Np_HolidayPlan>(b, [&](auto& r) {
                 r.id = static_cast<uint16_t>(first(4));
                 return TSL_NET_DEV_GetHolidayPlan(h, &r);
             });
         }},
        {"plan template", 2,
         [&](Bytes& b) {
             return ReadInto<Np_PlanTemplate>(b, [&](auto& r) {
                 r.id = static_cast<uint16_t>(first(2));
                 return TSL_NET_DEV_GetPlanTemplate(h, &r);
             });
         }},
    };
    for (const auto& read : reads) {
        SCOPED_TRACE(read.what);
        Bytes record;
        ASSERT_EQ(read.read(record), 0);
        ASSERT_GT(record.size(), read.keyBytes);
        EXPECT_TRUE(
            std::any_of(record.begin() + read.keyBytes, record.end(), [](uint8_t b) { return b != 0; }));
    }
}

// The storage page's figures are those of the cards, events and log the
// controller answers for, and its system text names the controller its
// device information describes, with the readers its bus answers from.
TEST(Plausible, AccessControllerStorageAndSystemTextAgreeWithItsRecords) {
    SimLogin device(TSL_DEVICE_ACC);
    ASSERT_GT(device.handle, 0);
    devsim::plausible::Apply(*device.device);
    const int h = device.handle;
    Np_AccFlashInfo flash{};
    ASSERT_EQ(TSL_NET_Acc_GetFlashInfo(h, &flash), 0);

    size_t cards = 0;
    for (const Np_AccCardInfo& known : devsim::plausible::AccCards()) {
        Np_AccCardInfo card{};
        std::strcpy(card.cardNo, known.cardNo);
        ASSERT_EQ(TSL_NET_Acc_GetCardInfo(h, &card), 0);
        if (!Text(card.userName).empty()) ++cards;
    }
    EXPECT_EQ(flash.cardsIssued, cards);
    Np_EventQuery everything{};  // no start and no end
    everything.pageNo = 1;
    everything.pageSize = 5;
    Np_AccEventList events{};
    ASSERT_EQ(TSL_NET_Acc_GetEvent(h, everything, &events), 0);
    EXPECT_EQ(flash.eventsStored, static_cast<uint32_t>(events.total));
    Np_LogList log{};
    ASSERT_EQ(TSL_NET_DEV_GetLog(h, everything, &log), 0);
    const uint64_t held = cards * sizeof(Np_AccCardInfo) + size_t(events.total) * sizeof(Np_AccEventInfo) +
                          size_t(log.total) * sizeof(Np_LogInfo);
    EXPECT_GE(flash.storageUsed, held) << "what it holds takes room";
    EXPECT_LT(flash.storageUsed, flash.storageSize);
    EXPECT_LE(uint64_t(flash.cardCapacity) * sizeof(Np_AccCardInfo) +
                  uint64_t(flash.eventCapacity) * sizeof(Np_AccEventInfo),
              flash.storageSize)
        << "a full store fits";

    char system[256] = {};
    ASSERT_EQ(TSL_NET_Acc_GetSystemInfo(h, system), 0);
    const std::string text = Text(system);
    EXPECT_LT(text.size(), sizeof system) << "ends within its field";
    Np_DeviceInfo info{};
    ASSERT_EQ(TSL_NET_DEV_GetDeviceInfo(h, &info), 0);
    for (const std::string& field : {Text(info.deviceModel), Text(info.serialNo), Text(info.firmwareVersion),
                                     Text(info.hardwareVersion)})
        EXPECT_NE(text.find(field), std::string::npos) << field << " in\n" << text;
    int readers = 0;
    for (int address = 1; address <= 8; ++address) readers += !ReaderSerial(h, address).empty();
    EXPECT_GT(readers, 0);
    EXPECT_NE(text.find("读卡器：" + std::to_string(readers) + "个在线"), std::string::npos) << text;
}

// Every number one setting gives for another names one the controller
// lists and holds: templates their week and holiday plans, doors, work
// modes and combinations their template, combinations card groups that
// cards are in; interlocks go both ways and anti-passback readers answer.
TEST(Plausible, AccessControllerSettingsNameOnlyWhatItHolds) {
    SimLogin device(TSL_DEVICE_ACC);
    ASSERT_GT(device.handle, 0);
    devsim::plausible::Apply(*device.device);
    const int h = device.handle;
    const std::vector<int> templates = IdsOf(h, 2), weeks = IdsOf(h, 3), holidays = IdsOf(h, 4);
    ASSERT_FALSE(templates.empty());
    ASSERT_FALSE(weeks.empty());
    ASSERT_FALSE(holidays.empty());

    for (int id : weeks) {
        Np_WeekPlan plan{};
        plan.id = static_cast<uint16_t>(id);
        ASSERT_EQ(TSL_NET_DEV_GetWeekPlan(h, &plan), 0);
        bool open = false;
        for (int day = 0; day < 7; ++day) {
            const Np_TimeSegment first = plan.days[day].segments[0];
            open = open || first.endHour > first.startHour;
        }
        EXPECT_TRUE(open) << "week plan " << id << " opens on some day";
    }
    const int year = Now().tm_year + 1900;
    for (int id : holidays) {
        Np_HolidayPlan plan{};
        plan.id = static_cast<uint16_t>(id);
        ASSERT_EQ(TSL_NET_DEV_GetHolidayPlan(h, &plan), 0);
        EXPECT_EQ(plan.startDate.year, year) << "holiday plan " << id;
        EXPECT_GE(plan.startDate.month, 1);
        EXPECT_GE(plan.startDate.day, 1);
        const auto day = [](const Np_Date& d) { return d.year * 10000 + d.month * 100 + d.day; };
        EXPECT_LE(day(plan.startDate), day(plan.endDate));
    }
    for (int id : templates) {
        SCOPED_TRACE("template " + std::to_string(id));
        Np_PlanTemplate plan{};
        plan.id = static_cast<uint16_t>(id);
        ASSERT_EQ(TSL_NET_DEV_GetPlanTemplate(h, &plan), 0);
        EXPECT_FALSE(Text(plan.name).empty());
        EXPECT_TRUE(Holds(weeks, plan.weekPlanId)) << plan.weekPlanId;
        for (size_t i = 0; i < 24; ++i) {
            const auto holiday = Load<uint16_t>(plan, offsetof(Np_PlanTemplate, holidayPlanIds) + 2 * i);
            if (holiday != 0) {
                EXPECT_TRUE(Holds(holidays, holiday)) << holiday;
            }
        }
    }

    for (uint8_t door = 1; door <= 4; ++door) {
        Np_AccChannelInfo channel{};
        channel.channel = door;
        ASSERT_EQ(TSL_NET_Acc_GetChannelInfo(h, &channel), 0);
        EXPECT_TRUE(Holds(templates, channel.templateId)) << "door " << int(door);
        Np_AccMultiLockInfo lock{};
        lock.doorNo = door;
        ASSERT_EQ(TSL_NET_Acc_GetMultiLockInfo(h, &lock), 0);
        for (int i = 0; i < lock.count; ++i) {
            Np_AccMultiLockInfo other{};
            other.doorNo = lock.doors[i];
            ASSERT_EQ(TSL_NET_Acc_GetMultiLockInfo(h, &other), 0);
            bool back = false;
            for (int j = 0; j < other.count; ++j) back = back || other.doors[j] == door;
            EXPECT_TRUE(back) << "door " << int(other.doorNo) << " locks door " << int(door) << " back";
        }
    }
    for (int id : IdsOf(h, 5)) {
        Np_AccWorkModeParams mode{};
        mode.workModeId = static_cast<uint8_t>(id);
        ASSERT_EQ(TSL_NET_Acc_GetWorkModeParams(h, &mode), 0);
        EXPECT_TRUE(Holds(templates, mode.templateId)) << "work mode " << id;
    }

    std::vector<int> groups;
    for (const Np_AccCardInfo& card : devsim::plausible::AccCards()) {
        Np_AccCardGroupInfo query{};
        std::strcpy(query.cardNo, card.cardNo);
        Np_AccCardGroupList list{};
        ASSERT_EQ(TSL_NET_Acc_GetCardGroupInfo(h, query, &list), 0);
        for (size_t i = 0; i < sizeof list.groups; ++i)
            if (list.groups[i] != 0) groups.push_back(list.groups[i]);
    }
    const std::vector<int> combinations = IdsOf(h, 1);
    EXPECT_FALSE(combinations.empty());
    for (int id : combinations) {
        SCOPED_TRACE("combination " + std::to_string(id));
        Np_AccMultiCardInfo rule{};
        rule.combinationId = static_cast<uint8_t>(id);
        ASSERT_EQ(TSL_NET_Acc_GetMultiCardInfo(h, &rule), 0);
        EXPECT_TRUE(Holds(templates, rule.templateId)) << rule.templateId;
        EXPECT_GE(rule.count, 2) << "more than one card";
        for (int i = 0; i < rule.count && i < 5; ++i)
            EXPECT_TRUE(Holds(groups, rule.groups[i])) << int(rule.groups[i]);
    }
    EXPECT_FALSE(IdsOf(h, 0).empty()) << "linkage tasks";

    Np_AccAntiInfo anti{};
    ASSERT_EQ(TSL_NET_Acc_GetAntiInfo(h, &anti), 0);
    EXPECT_GE(anti.count, 2);
    for (int i = 0; i < anti.count; ++i)
        EXPECT_FALSE(ReaderSerial(h, anti.readers[i]).empty()) << "reader " << int(anti.readers[i]);
}

// The first read of each page of the IoT device, the FSU's base page and the
// fingerprint reader's information and parameters. A key the store does not
// hold reads back as a zero record carrying the key, so a reply must hold
// more than the record the page sent.
struct FirstRead {
    const char* what;
    std::function<int(int handle, devsim::Bytes& sent, devsim::Bytes& got)> read;
};

template <class Record>
FirstRead ReadOf(const char* what, Record sent, int (*get)(int, Record*)) {
    return {what, [sent, get](int h, devsim::Bytes& out, devsim::Bytes& got) {
                Record r = sent;
                const int rc = get(h, &r);
                out = BytesOf(sent);
                got = BytesOf(r);
                return rc;
            }};
}

template <class Record>
Record Keyed(uint8_t key) {
    Record r{};
    std::memcpy(&r, &key, 1);
    return r;
}

TEST(Plausible, FirstReadsOfTheIoTFsuBaseAndFingerprintPagesHoldMoreThanTheirKey) {
    const struct {
        int type;
        std::vector<FirstRead> reads;
    } devices[] = {
        {TSL_DEVICE_IOT,
         {ReadOf("Modbus channel", Keyed<Np_IoTModbusParams>(1), TSL_NET_IoT_GetModbusParams),
          ReadOf("Modbus data", Keyed<Np_IoTModbusData>(1), TSL_NET_IoT_GetModbusData),
          ReadOf("register table", Keyed<Np_IoTRegisterParams>(1), TSL_NET_IoT_GetRegisterParams),
          ReadOf("alarm outputs", Np_IoTAlarmIoInfo{}, TSL_NET_IoT_GetAlarmIoInfo),
          ReadOf("work mode",
                 Keyed<Np_IoTWorkModeParams>(devsim::plausible::IoTWorkModes().front().workModeId),
                 TSL_NET_IoT_GetWorkModeParams),
          ReadOf("LoRa work mode",
                 Keyed<Np_IoTLoraWorkModeParams>(devsim::plausible::IoTLoraWorkModes().front().workModeId),
                 TSL_NET_IoT_GetLoraWorkModeParams)}},
        {TSL_DEVICE_FSU,
         {ReadOf("account 1", Keyed<Np_FsuUserData>(1), TSL_NET_FSU_GetUserData),
          ReadOf("IP binding", Np_FsuIpBindParams{}, TSL_NET_FSU_GetIpBindParams),
          ReadOf("MAC binding", Np_FsuMacBindParams{}, TSL_NET_FSU_GetMacBindParams),
          ReadOf("base parameters", Np_FsuDeviceInfo{}, TSL_NET_FSU_GetDeviceInfo)}},
        {TSL_DEVICE_FPR,
         {ReadOf("information", Np_FprDeviceInfo{}, TSL_NET_FPR_GetDeviceInfo),
          ReadOf("parameters", Np_FprDeviceParams{}, TSL_NET_FPR_GetDeviceParams)}},
    };
    for (const auto& device : devices) {
        SimLogin sim(device.type);
        ASSERT_GT(sim.handle, 0);
        devsim::plausible::Apply(*sim.device);
        for (const FirstRead& read : device.reads) {
            SCOPED_TRACE("type " + std::to_string(device.type) + ": " + read.what);
            devsim::Bytes sent, got;
            ASSERT_EQ(read.read(sim.handle, sent, got), 0);
            EXPECT_NE(got, sent);
        }
    }
}

// Records the IoT device shows on separate pages agree: the Modbus channel,
// its live values and its register table on the registers; the work modes
// on inputs and outputs the device has named.
TEST(Plausible, TheIoTDevicesModbusAndWorkModesAgreeWithItsChannels) {
    SimLogin device(TSL_DEVICE_IOT);
    ASSERT_GT(device.handle, 0);
    devsim::plausible::Apply(*device.device);
    Np_IoTModbusParams channel = Keyed<Np_IoTModbusParams>(1);
    auto data = Keyed<Np_IoTModbusData>(1);
    auto table = Keyed<Np_IoTRegisterParams>(1);
    ASSERT_EQ(TSL_NET_IoT_GetModbusParams(device.handle, &channel), 0);
    ASSERT_EQ(TSL_NET_IoT_GetModbusData(device.handle, &data), 0);
    ASSERT_EQ(TSL_NET_IoT_GetRegisterParams(device.handle, &table), 0);
    ASSERT_GT(channel.registerCount, 0);
    EXPECT_EQ(data.validLength, channel.registerCount);
    EXPECT_EQ(data.deviceType, channel.deviceType);
    for (int i = 0; i < channel.registerCount; ++i) {
        EXPECT_FALSE(Text(data.names[i]).empty()) << i;
        EXPECT_EQ(Text(table.names[i]), Text(data.names[i])) << i;
        EXPECT_EQ(Text(table.units[i]), Text(data.units[i])) << i;
        EXPECT_NE(Load<float>(table, offsetof(Np_IoTRegisterParams, registerA) + 4 * i), 0.0f) << i;
    }

    std::vector<Np_IoTWorkModeParams> modes;
    for (const Np_IoTWorkModeParams& kept : devsim::plausible::IoTWorkModes()) {
        modes.push_back(Keyed<Np_IoTWorkModeParams>(kept.workModeId));
        ASSERT_EQ(TSL_NET_IoT_GetWorkModeParams(device.handle, &modes.back()), 0);
    }
    for (const Np_IoTLoraWorkModeParams& kept : devsim::plausible::IoTLoraWorkModes()) {
        modes.push_back(Keyed<Np_IoTLoraWorkModeParams>(kept.workModeId));
        ASSERT_EQ(TSL_NET_IoT_GetLoraWorkModeParams(device.handle, &modes.back()), 0);
    }
    for (const Np_IoTWorkModeParams& mode : modes) {
        SCOPED_TRACE("work mode " + std::to_string(mode.workModeId));
        int inputs = 0, outputs = 0;
        for (uint8_t port = 1; port <= 64; ++port) {
            if (mode.inputEnable[port - 1]) {
                ++inputs;
                Np_IoTInputParams in{};
                in.channel = port;
                ASSERT_EQ(TSL_NET_IoT_GetInputParams(device.handle, &in), 0);
                EXPECT_FALSE(Text(in.name).empty()) << "input " << int(port);
            }
            if (mode.outputEnable[port - 1]) {
                ++outputs;
                Np_IoTOutputParams out{};
                out.channel = port;
                ASSERT_EQ(TSL_NET_IoT_GetOutputParams(device.handle, &out), 0);
                EXPECT_FALSE(Text(out.name).empty()) << "output " << int(port);
            }
        }
        EXPECT_GT(inputs, 0);
        EXPECT_GT(outputs, 0);
        const uint16_t planTemplate = Load<uint16_t>(mode, offsetof(Np_IoTWorkModeParams, templateId));
        EXPECT_TRUE(Holds(IdsOf(device.handle, 2), planTemplate)) << "plan template " << planTemplate;
    }
}

// An FSU with IP binding on admits only the bound hosts, so every host its
// own log shows at work there is bound.
TEST(Plausible, TheFsuBindsTheHostsItsLogShows) {
    SimLogin device(TSL_DEVICE_FSU);
    ASSERT_GT(device.handle, 0);
    devsim::plausible::Apply(*device.device);
    Np_FsuIpBindParams bind{};
    ASSERT_EQ(TSL_NET_FSU_GetIpBindParams(device.handle, &bind), 0);
    ASSERT_EQ(bind.enable, 1);
    std::set<std::string> bound;
    for (const auto& ip : bind.ip)
        if (!Text(ip).empty()) bound.insert(Text(ip));
    int lines = 0;
    for (int page = 1;; ++page) {
        Np_LogList log{};
        ASSERT_EQ(TSL_NET_DEV_GetLog(device.handle, TodaysPage(page), &log), 0);
        for (int i = 0; i < log.count; ++i, ++lines)
            EXPECT_EQ(bound.count(Text(log.records[i].ipAddress)), 1u) << Text(log.records[i].ipAddress);
        if (log.count == 0 || lines >= log.total) break;
    }
    EXPECT_GT(lines, 0);
}

// The reader's own information names the device its common record does.
TEST(Plausible, TheFingerprintReadersInformationIsItsDevices) {
    SimLogin device(TSL_DEVICE_FPR);
    ASSERT_GT(device.handle, 0);
    devsim::plausible::Apply(*device.device);
    Np_DeviceInfo common{};
    ASSERT_EQ(TSL_NET_DEV_GetDeviceInfo(device.handle, &common), 0);
    Np_FprDeviceInfo info{};
    ASSERT_EQ(TSL_NET_FPR_GetDeviceInfo(device.handle, &info), 0);
    const char* text = reinterpret_cast<const char*>(info.data);
    EXPECT_EQ(std::string(text, strnlen(text, 20)), Text(common.serialNo));
    EXPECT_EQ(std::string(text + 20, strnlen(text + 20, 16)), Text(common.deviceModel));
}

}  // namespace
