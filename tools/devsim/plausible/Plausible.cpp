#include "Plausible.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "TslFpr.h"

namespace devsim::plausible {

namespace {

constexpr uint32_t kGetTime = 1008;
constexpr uint32_t kSetTime = 1009;
constexpr uint32_t kGetLog = 1041;
constexpr uint32_t kGetEvent = 1035;
constexpr int32_t kResultLengthMismatch = 5;
constexpr int32_t kResultInvalidParam = 6;
constexpr size_t kPageSlots = 5;

template <class Record>
Bytes BytesOf(const Record& record) {
    static_assert(std::is_trivially_copyable<Record>::value, "a plain record");
    Bytes bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

template <size_t N>
void Text(char (&field)[N], const char* utf8) {
    std::snprintf(field, N, "%s", utf8);
}

// A value at a record's byte offset: the records are packed, and a field
// that is not aligned for its type is never reached through a pointer to it.
template <class Record, class T>
void Put(Record& record, size_t offset, T value) {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    std::memcpy(reinterpret_cast<unsigned char*>(&record) + offset, &value, sizeof value);
}

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

Np_Time TimeOf(const std::tm& tm) {
    return Np_Time{static_cast<uint16_t>(tm.tm_year + 1900),
                   static_cast<uint8_t>(tm.tm_mon + 1),
                   static_cast<uint8_t>(tm.tm_mday),
                   static_cast<uint8_t>(tm.tm_hour),
                   static_cast<uint8_t>(tm.tm_min),
                   static_cast<uint8_t>(tm.tm_sec),
                   0};
}

// The host time a device time stands for; nullopt for one that is no date
// and time a device clock keeps (years 2000 to 2099).
std::optional<std::time_t> HostTime(const Np_Time& t) {
    if (t.year < 2000 || t.year > 2099 || t.month < 1 || t.month > 12 || t.day < 1 || t.hour > 23 ||
        t.minute > 59 || t.second > 59)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    const std::time_t host = std::mktime(&tm);
    // mktime moves a day past the month's end into the next month.
    if (host == -1 || tm.tm_mday != t.day || tm.tm_mon != t.month - 1) return std::nullopt;
    return host;
}

// Today at the given time of day. Started before eleven o'clock, the times
// of a list (all before then) are pulled back towards midnight in
// proportion, so that records dated today never lie in the future.
Np_Time Today(int hour, int minute, int second) {
    constexpr double kLatest = 11 * 3600;
    std::tm tm = LocalTime(std::time(nullptr));
    const double now = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
    const int at = static_cast<int>((hour * 3600 + minute * 60 + second) * std::min(1.0, now / kLatest));
    tm.tm_hour = at / 3600;
    tm.tm_min = at / 60 % 60;
    tm.tm_sec = at % 60;
    return TimeOf(tm);
}

uint64_t Order(const Np_Time& t) {
    return uint64_t(t.year) << 40 | uint64_t(t.month) << 32 | uint64_t(t.day) << 24 | uint64_t(t.hour) << 16 |
           uint64_t(t.minute) << 8 | t.second;
}

// Kept records of a list: 2-byte keys that sort in the order of the list,
// so that the record commands' clear (EraseAll) empties it too.
Bytes ListKey(size_t index) {
    return {static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index & 0xff)};
}

template <class Record>
void KeepList(SimDevice& d, const std::string& group, const std::vector<Record>& records) {
    for (size_t i = 0; i < records.size(); ++i) d.PutRecord(group, ListKey(i), BytesOf(records[i]));
}

// Answers `cmd` (an Np_EventQuery) with the page it asks for: the list head
// and up to five records of `size` bytes, those kept under `group` whose
// Np_Time at `timeAt` lies in the query's range (an all-zero end: no end).
void ServePages(SimDevice& d, uint32_t cmd, std::string group, size_t size, size_t timeAt) {
    SimDevice* device = &d;  // the handler lives in the device it reads
    d.SetHandler(cmd, [device, group, size, timeAt](const Request& r) -> std::optional<Bytes> {
        Np_EventQuery q{};
        if (!r.plain.empty()) std::memcpy(&q, r.plain.data(), std::min(sizeof q, r.plain.size()));
        const uint64_t from = Order(q.startTime);
        const uint64_t to = Order(q.endTime) == 0 ? UINT64_MAX : Order(q.endTime);
        std::vector<Bytes> found;
        for (size_t i = 0;; ++i) {
            std::optional<Bytes> record = device->GetRecord(group, ListKey(i));
            if (!record) break;
            Np_Time t{};
            if (record->size() >= timeAt + sizeof t) std::memcpy(&t, record->data() + timeAt, sizeof t);
            if (Order(t) >= from && Order(t) <= to) found.push_back(std::move(*record));
        }
        const size_t per =
            q.pageSize >= 1 && size_t(q.pageSize) < kPageSlots ? size_t(q.pageSize) : kPageSlots;
        const size_t first = q.pageNo >= 1 ? (size_t(q.pageNo) - 1) * per : found.size();
        const size_t count = first < found.size() ? std::min(per, found.size() - first) : 0;
        Bytes list(sizeof(Np_ListHead) + kPageSlots * size, 0);
        PutU32(list.data(), static_cast<uint32_t>(found.size()));
        PutU32(list.data() + 4, static_cast<uint32_t>(q.pageNo));
        PutU32(list.data() + 8, static_cast<uint32_t>(count));
        for (size_t i = 0; i < count; ++i) {
            const Bytes& record = found[first + i];
            std::copy_n(record.begin(), std::min(size, record.size()),
                        list.begin() + sizeof(Np_ListHead) + i * size);
        }
        return StatusPayload(0, list);
    });
}

// ------------------------------------------------------------ every type

struct Identity {
    const char* name;
    const char* model;
};

const Identity kIdentities[] = {
    {"东门门禁", "TSL-AC400"},   {"物联网关", "TSL-IO64"},   {"机房动环", "TSL-FSU200"},
    {"授时服务器", "TSL-NTP10"}, {"前台指纹仪", "TSL-FP30"}, {"消防用传", "TSL-UT105"},
};
constexpr uint32_t kFirstType = TSL_DEVICE_ACC;
constexpr size_t kKnownTypes = sizeof kIdentities / sizeof kIdentities[0];

// A type's place among the known ones; kKnownTypes for any other.
size_t PlaceOf(uint32_t type) {
    return type >= kFirstType && type - kFirstType < kKnownTypes ? type - kFirstType : kKnownTypes;
}

Identity IdentityOf(uint32_t type) {
    const size_t n = PlaceOf(type);
    return n < kKnownTypes ? kIdentities[n] : Identity{"现场设备", "TSL-DEV"};
}

Np_DeviceInfo DeviceInfoOf(uint32_t type) {
    const size_t n = PlaceOf(type);
    const Identity id = IdentityOf(type);
    Np_DeviceInfo info{};
    std::snprintf(info.serialNo, sizeof info.serialNo, "TS2024%06zu", 118 + n);
    Text(info.deviceName, id.name);
    Text(info.deviceModel, id.model);
    // Locally administered (second-lowest bit of the first octet set).
    std::snprintf(info.mac, sizeof info.mac, "02:5a:00:00:%02zx:76", 0x10 + n);
    Text(info.protocolVersion, "1.3");
    Text(info.firmwareVersion, "V2.1.7 build 20240612");
    Text(info.hardwareVersion, "HW-3.2");
    return info;
}

// This morning's log: logins, settings and a linkage.
std::vector<Np_LogInfo> TodaysLog() {
    const struct {
        const char* ip;
        int32_t type;
        int hour, minute;
        const char* content;
    } lines[] = {
        {"192.168.1.100", 1, 8, 2, "管理员登录"},    {"192.168.1.100", 2, 8, 5, "修改设备名称"},
        {"192.168.1.100", 2, 8, 11, "设置网络参数"}, {"192.168.1.23", 4, 9, 17, "报警联动"},
        {"192.168.1.23", 1, 9, 40, "同步设备时间"},  {"192.168.1.23", 2, 10, 3, "修改NTP参数"},
        {"192.168.1.100", 1, 10, 26, "管理员退出"},
    };
    std::vector<Np_LogInfo> log;
    for (const auto& line : lines) {
        Np_LogInfo r{};
        Text(r.ipAddress, line.ip);
        r.logType = line.type;
        r.time = Today(line.hour, line.minute, 7 * static_cast<int>(log.size()));
        Text(r.userName, "admin");
        Text(r.content, line.content);
        log.push_back(r);
    }
    return log;
}

void AddCommon(SimDevice& d, uint32_t type) {
    const size_t n = PlaceOf(type);
    const Identity id = IdentityOf(type);
    d.PutRecord("deviceInfo", {}, BytesOf(DeviceInfoOf(type)));

    Np_DeviceNameInfo name{};
    Text(name.name, id.name);
    Text(name.model, id.model);
    d.PutRecord("name", {}, BytesOf(name));

    // Two cards on two private networks, the device at the same host number on both.
    const auto card = [&](const char* key, const char* network) {
        Np_DeviceNetworkInfo net{};
        net.mode = 0;
        std::snprintf(net.ip, sizeof net.ip, "%s.%zu", network, 118 + n);
        Text(net.mask, "255.255.255.0");
        std::snprintf(net.gateway, sizeof net.gateway, "%s.1", network);
        Put(net, offsetof(Np_DeviceNetworkInfo, port), int32_t{6500});
        d.PutRecord(key, {}, BytesOf(net));
    };
    card("network1", "192.168.1");
    card("network2", "10.10.0");

    Np_NtpInfo ntp{};
    ntp.enable = 1;
    Text(ntp.serverIp, "192.168.1.10");
    Put(ntp, offsetof(Np_NtpInfo, serverPort), int32_t{123});
    d.PutRecord("ntp", {}, BytesOf(ntp));

    Np_DeviceRs485Info bus{};
    bus.upstream = Np_Rs485Port{9600, 8, 1, 0};
    bus.downstream = Np_Rs485Port{19200, 8, 2, 1};
    d.PutRecord("rs485", {}, BytesOf(bus));

    KeepList(d, "log", TodaysLog());
    ServePages(d, kGetLog, "log", sizeof(Np_LogInfo), offsetof(Np_LogInfo, time));
}

// ------------------------------------------------------------ type 100

constexpr size_t kAccDoors = 4;
// What the controller keeps besides its records: program, settings, index.
constexpr uint32_t kAccSystemArea = 1u << 20;

Np_TimeSegment Segment(int fromHour, int fromMinute, int toHour, int toMinute, int toSecond = 0) {
    Np_TimeSegment s{};
    s.startHour = static_cast<uint8_t>(fromHour);
    s.startMinute = static_cast<uint8_t>(fromMinute);
    s.endHour = static_cast<uint8_t>(toHour);
    s.endMinute = static_cast<uint8_t>(toMinute);
    s.endSecond = static_cast<uint8_t>(toSecond);
    return s;
}

// The numbers a device lists for one kind of its settings, in its order.
template <class Record, class IdOf>
void KeepIds(SimDevice& d, uint32_t kind, const std::vector<Record>& records, IdOf idOf) {
    Np_IdList list{};
    list.value = kind;
    for (const Record& r : records)
        if (list.count < sizeof list.ids) list.ids[list.count++] = static_cast<uint8_t>(idOf(r));
    d.PutRecord("idList", BytesOf(kind), BytesOf(list));
}

}  // namespace

AccParameters AccParams() {
    AccParameters p{};
    p.device.batteryLowVoltage = 115;
    // The record-store alarm at 90 %, the level of its "event store 90 %" event.
    Put(p.device, offsetof(Np_AccDeviceInfo, recordAlarmPercent), int32_t{9000});
    p.device.globalAntiPassback = 1;
    const uint8_t volume[kAccDoors] = {20, 20, 15, 25};
    std::memcpy(p.device.doorVolume, volume, sizeof volume);
    p.device.offlineCentralAuth = 1;
    p.device.defaultFireSignal = 1;
    // In service: no simulated issues, events or log entries.

    const size_t cards = AccCards().size(), events = AccEvents().size(), log = TodaysLog().size();
    p.flash.storageSize = 32u << 20;
    p.flash.storageUsed = static_cast<uint32_t>(
        kAccSystemArea + cards * (sizeof(Np_AccCardInfo) + sizeof(Np_AccCardGroupList)) +
        events * sizeof(Np_AccEventInfo) + log * sizeof(Np_LogInfo));
    p.flash.cardCapacity = 50000;
    p.flash.cardsIssued = static_cast<uint32_t>(cards);
    p.flash.eventCapacity = 150000;
    p.flash.eventsStored = static_cast<uint32_t>(events);

    const Np_DeviceInfo info = DeviceInfoOf(TSL_DEVICE_ACC);
    const auto field = [](const char* text, size_t size) { return std::string(text, strnlen(text, size)); };
    const std::string text =
        "型号：" + field(info.deviceModel, sizeof info.deviceModel) + " 四门门禁控制器\n固件版本：" +
        field(info.firmwareVersion, sizeof info.firmwareVersion) + "\n硬件版本：" +
        field(info.hardwareVersion, sizeof info.hardwareVersion) + "\n序列号：" +
        field(info.serialNo, sizeof info.serialNo) + "\n运行时间：36天4小时12分\n读卡器：" +
        std::to_string(AccReaders().size()) + "个在线";
    Text(p.system.text, text.c_str());
    return p;
}

AccPlans AccPlanRecords() {
    AccPlans p;
    // 1 office hours with a weekend duty shift, 2 the night, 3 round the clock.
    Np_WeekPlan office{};
    office.id = 1;
    Np_WeekPlan night{};
    night.id = 2;
    Np_WeekPlan always{};
    always.id = 3;
    for (uint8_t day = 0; day < 7; ++day) {
        Np_PlanDay work{}, dark{}, all{};
        work.weekday = dark.weekday = all.weekday = day;
        if (day == 0 || day == 6) {
            work.segments[0] = Segment(9, 0, 12, 0);
            work.segments[1] = Segment(14, 0, 17, 30);
        } else {
            work.segments[0] = Segment(7, 30, 12, 0);
            work.segments[1] = Segment(13, 30, 18, 0);
            work.segments[2] = Segment(19, 0, 21, 30);
        }
        dark.segments[0] = Segment(0, 0, 7, 30);
        dark.segments[1] = Segment(21, 30, 23, 59, 59);
        all.segments[0] = Segment(0, 0, 23, 59, 59);
        office.days[day] = work;
        night.days[day] = dark;
        always.days[day] = all;
    }
    p.week = {office, night, always};

    // This year's public holidays of fixed date, a day shift on each.
    const uint16_t year = static_cast<uint16_t>(LocalTime(std::time(nullptr)).tm_year + 1900);
    const struct { uint8_t month, firstDay, lastDay; } holidays[] = {{1, 1, 3}, {5, 1, 5}, {10, 1, 7}};
    for (const auto& h : holidays) {
        Np_HolidayPlan plan{};
        plan.id = static_cast<uint16_t>(p.holidays.size() + 1);
        plan.startDate = Np_Date{year, h.month, h.firstDay};
        plan.endDate = Np_Date{year, h.month, h.lastDay};
        plan.segments[0] = Segment(10, 0, 16, 0);
        p.holidays.push_back(plan);
    }

    const struct {
        const char* name;
        uint16_t week;
        bool holidays;
    } templates[] = {{"办公区通行", 1, true}, {"全天通行", 3, false}, {"夜间刷卡加密码", 2, false}};
    for (const auto& t : templates) {
        Np_PlanTemplate plan{};
        plan.id = static_cast<uint16_t>(p.templates.size() + 1);
        plan.weekPlanId = t.week;
        for (size_t i = 0; t.holidays && i < p.holidays.size(); ++i)
            plan.holidayPlanIds[i] = p.holidays[i].id;
        Text(plan.name, t.name);
        p.templates.push_back(plan);
    }
    return p;
}

AccRules AccDoorRules() {
    AccRules r{};
    // Doors 1 and 2 are the two doors of the entrance lock: one opens only
    // while the other is shut.
    for (uint8_t door = 1; door <= 2; ++door) {
        Np_AccMultiLockInfo lock{};
        lock.doorNo = door;
        lock.count = 1;
        lock.doors[0] = static_cast<uint8_t>(3 - door);
        r.interlocks.push_back(lock);
    }

    // Door 1's readers, outside and inside.
    r.antiPassback.count = 2;
    r.antiPassback.readers[0] = 1;
    r.antiPassback.readers[1] = 2;

    // The machine room (door 4): two cards, from groups 2 and 3, outside.
    Np_AccMultiCardInfo room{};
    room.combinationId = 1;
    room.doorNo = 4;
    room.templateId = 2;
    room.readerPosition = 1;
    room.count = 2;
    room.groups[0] = 2;
    room.groups[1] = 3;
    r.combinations.push_back(room);

    // The fire signal holds door 1 open; door 4 forced open sounds the siren.
    Np_AccLinkageInfo fire{};
    fire.linkageId = 1;
    Put(fire, offsetof(Np_AccLinkageInfo, eventNo), int32_t{72});
    fire.inputSource = 1;
    fire.inputNo = 1;
    fire.outputSource = 0;
    fire.outputNo = 1;
    fire.actionType = 3;
    r.linkages.push_back(fire);
    Np_AccLinkageInfo forced{};
    forced.linkageId = 2;
    Put(forced, offsetof(Np_AccLinkageInfo, eventNo), int32_t{30});
    forced.inputSource = 0;
    forced.inputNo = 4;
    forced.outputSource = 1;
    forced.outputNo = 1;
    forced.actionType = 1;
    forced.actionDelay = 2;
    r.linkages.push_back(forced);
    return r;
}

std::vector<Np_AccReaderId> AccReaders() {
    std::vector<Np_AccReaderId> list;
    for (uint8_t address = 1; address <= kAccDoors; ++address) {
        Np_AccReaderId reader{};
        std::snprintf(reader.serialNo, sizeof reader.serialNo, "RD8A2403170%u", unsigned{address});
        reader.address = address;
        list.push_back(reader);
    }
    return list;
}

namespace {

// The plans the toolbar's plan page reads, for the families whose settings
// name them. Kept under their 16-bit number, low byte first.
void KeepPlans(SimDevice& d) {
    const AccPlans plans = AccPlanRecords();
    const auto idKey = [](uint16_t id) {
        return Bytes{static_cast<uint8_t>(id & 0xff), static_cast<uint8_t>(id >> 8)};
    };
    for (const Np_WeekPlan& p : plans.week) d.PutRecord("weekPlan", idKey(p.id), BytesOf(p));
    for (const Np_HolidayPlan& p : plans.holidays) d.PutRecord("holidayPlan", idKey(p.id), BytesOf(p));
    for (const Np_PlanTemplate& p : plans.templates) d.PutRecord("planTemplate", idKey(p.id), BytesOf(p));
    KeepIds(d, 2, plans.templates, [](const Np_PlanTemplate& p) { return p.id; });
    KeepIds(d, 3, plans.week, [](const Np_WeekPlan& p) { return p.id; });
    KeepIds(d, 4, plans.holidays, [](const Np_HolidayPlan& p) { return p.id; });
}

void AddAcc(SimDevice& d) {
    // Door 1 at the front: a 5 s release, passwords set, first-card opening
    // on; the others plain.
    for (uint8_t channel = 1; channel <= 4; ++channel) {
        Np_AccChannelInfo door{};
        door.channel = channel;
        door.magneticType = 1;
        door.ioType = 1;
        door.openDuration = channel == 1 ? 5 : 3;
        door.alarmTime = 30;
        door.dailyFirst = channel == 1;
        door.leaderTime = 120;
        std::memcpy(door.duressPassword, "990110", 6);
        std::memcpy(door.superPassword, "20240601", 8);
        std::memcpy(door.releaseCode, "3366", 4);
        door.templateId = 2;
        door.antiPassback = channel == 1;
        door.openCount = 1;
        d.PutRecord("accChannel", {channel}, BytesOf(door));
    }

    // Work mode 1: card and password on the way in at door 1.
    Np_AccWorkModeParams mode{};
    mode.workModeId = 1;
    mode.channel = 1;
    mode.templateId = 3;
    mode.exitMode = 1;
    mode.entryMode = 2;
    d.PutRecord("accWorkMode", {1}, BytesOf(mode));

    for (const Np_AccCardInfo& card : AccCards()) {
        const Bytes key(card.cardNo, card.cardNo + strnlen(card.cardNo, sizeof card.cardNo));
        d.PutRecord("accCard", key, BytesOf(card));
        Np_AccCardGroupList groups{};
        std::memcpy(groups.groups, card.groups, sizeof card.groups);
        d.PutRecord("accCardGroup", key, BytesOf(groups));
    }

    KeepList(d, "event", AccEvents());
    ServePages(d, kGetEvent, "event", sizeof(Np_AccEventInfo), offsetof(Np_AccEventInfo, time));

    const AccParameters params = AccParams();
    d.PutRecord("accDevice", {}, BytesOf(params.device));
    d.PutRecord("accFlash", {}, BytesOf(params.flash));
    d.PutRecord("accSystemInfo", {}, BytesOf(params.system));
    for (const Np_AccReaderId& reader : AccReaders())
        d.PutRecord("accReader", {reader.address}, BytesOf(reader));

    const AccRules rules = AccDoorRules();
    for (const Np_AccMultiLockInfo& lock : rules.interlocks)
        d.PutRecord("accMultiLock", {lock.doorNo}, BytesOf(lock));
    d.PutRecord("accAnti", {}, BytesOf(rules.antiPassback));
    for (const Np_AccMultiCardInfo& c : rules.combinations)
        d.PutRecord("accMultiCard", {c.combinationId}, BytesOf(c));
    for (const Np_AccLinkageInfo& l : rules.linkages) d.PutRecord("accLinkage", {l.linkageId}, BytesOf(l));

    KeepPlans(d);
    KeepIds(d, 0, rules.linkages, [](const Np_AccLinkageInfo& l) { return l.linkageId; });
    KeepIds(d, 1, rules.combinations, [](const Np_AccMultiCardInfo& c) { return c.combinationId; });
    KeepIds(d, 5, std::vector<Np_AccWorkModeParams>{mode},
            [](const Np_AccWorkModeParams& m) { return m.workModeId; });
}

// ------------------------------------------------------------ type 101

// An environment sensor on Modbus channel 1 (the one the page reads first):
// its channel, the live values of its four registers and their table agree
// on the register count, names and units.
void AddIoTModbus(SimDevice& d) {
    const struct {
        const char* name;
        const char* unit;
        float value, scale;
    } registers[] = {
        {"温度", "°C", 23.5f, 0.1f},
        {"湿度", "%RH", 56.2f, 0.1f},
        {"二氧化碳", "ppm", 612.0f, 1.0f},
        {"PM2.5", "μg/m³", 18.0f, 1.0f},
    };
    constexpr uint8_t kUsed = sizeof registers / sizeof registers[0];

    Np_IoTModbusParams channel{};
    channel.channel = 1;
    channel.enable = 1;
    channel.deviceType = 1;
    channel.slaveAddress = 1;
    channel.readFunction = 3;
    channel.writeFunction = 6;
    Put(channel, offsetof(Np_IoTModbusParams, registerStart), uint16_t{100});
    channel.registerCount = kUsed;
    Text(channel.name, "机房环境传感器");
    d.PutRecord("iotModbus", {1}, BytesOf(channel));

    Np_IoTModbusData data{};
    Np_IoTRegisterParams table{};
    data.channel = table.channel = 1;
    data.deviceType = channel.deviceType;
    data.validLength = kUsed;
    data.online = 1;
    for (size_t i = 0; i < kUsed; ++i) {
        const auto& r = registers[i];
        Put(data, offsetof(Np_IoTModbusData, values) + 4 * i, r.value);
        Text(data.names[i], r.name);
        Text(data.units[i], r.unit);
        Put(table, offsetof(Np_IoTRegisterParams, registerA) + 4 * i, r.scale);
        Put(table, offsetof(Np_IoTRegisterParams, registerB) + 4 * i, 0.0f);
        Text(table.names[i], r.name);
        Text(table.units[i], r.unit);
    }
    d.PutRecord("iotModbusData", {1}, BytesOf(data));
    d.PutRecord("iotRegister", {1}, BytesOf(table));

    Np_IoTAlarmIoInfo alarm{};
    alarm.output12vEnable = 1;
    alarm.modbusTcpId = 10;
    Put(alarm, offsetof(Np_IoTAlarmIoInfo, loraId), uint16_t{101});
    d.PutRecord("iotAlarmIo", {}, BytesOf(alarm));
}

// One rule over the device's own inputs and outputs (channels from 1):
// `levels` pairs an input with the level that trips it, `outputs` an output
// with its action; the outputs are driven closed.
Np_IoTWorkModeParams WorkMode(uint8_t id, uint8_t mode, uint16_t planTemplate,
                              std::initializer_list<std::pair<int, uint8_t>> levels,
                              std::initializer_list<std::pair<int, uint8_t>> outputs) {
    Np_IoTWorkModeParams r{};
    r.workModeId = id;
    Put(r, offsetof(Np_IoTWorkModeParams, templateId), planTemplate);
    r.mode = mode;
    std::fill(std::begin(r.inputLevel), std::end(r.inputLevel), uint8_t{1});  // normal: not tripped
    for (const auto& in : levels) {
        r.inputEnable[in.first - 1] = 1;
        r.inputLevel[in.first - 1] = in.second;
    }
    for (const auto& out : outputs) {
        r.outputEnable[out.first - 1] = 1;
        r.outputAction[out.first - 1] = out.second;
        r.outputState[out.first - 1] = 1;
    }
    return r;
}

void AddIoT(SimDevice& d) {
    const char* const inputs[] = {"机房门磁", "烟感", "水浸", "红外探测"};
    for (uint8_t i = 0; i < 4; ++i) {
        Np_IoTInputParams in{};
        in.channel = static_cast<uint8_t>(i + 1);
        in.debounceTime = 2;
        in.inputType = 1;
        Text(in.name, inputs[i]);
        d.PutRecord("iotInput", {in.channel}, BytesOf(in));
    }
    const char* const outputs[] = {"声光报警器", "排风扇", "门锁"};
    for (uint8_t i = 0; i < 3; ++i) {
        Np_IoTOutputParams out{};
        out.channel = static_cast<uint8_t>(i + 1);
        out.closeDelay = 1;
        out.closeHold = 30;
        out.openHold = 5;
        Text(out.name, outputs[i]);
        d.PutRecord("iotOutput", {out.channel}, BytesOf(out));
    }

    // Three expansion units online, their ports mostly normal with one door
    // open and one line cut, two outputs closed; the offline groups read low.
    for (uint8_t g = 1; g <= 8; ++g) {
        Np_IoTInputState in{};
        Np_IoTOutputState out{};
        in.group = out.group = g;
        in.online = g <= 3;
        for (int p = 0; p < 8; ++p) in.ports[p] = g <= 3 ? 1 : 0;
        if (g == 1) {
            in.ports[1] = 2;
            in.ports[4] = 0;
            out.ports[0] = out.ports[2] = 1;
        }
        d.PutRecord("iotInputState", {g}, BytesOf(in));
        d.PutRecord("iotOutputState", {g}, BytesOf(out));
    }

    const struct {
        int32_t code;
        int hour, minute;
        uint8_t channel;
    } events[] = {
        {1003, 7, 58, 0}, {1028, 8, 0, 1},  {1009, 8, 15, 3}, {1012, 8, 15, 1},
        {1010, 8, 21, 3}, {1013, 8, 21, 1}, {1011, 9, 4, 2},
    };
    std::vector<Np_LinkageEventInfo> list;
    for (const auto& e : events) {
        Np_LinkageEventInfo r{};
        r.eventCode = e.code;
        r.time = Today(e.hour, e.minute, 42);
        r.channel = e.channel;
        list.push_back(r);
    }
    KeepList(d, "event", list);
    ServePages(d, kGetEvent, "event", sizeof(Np_LinkageEventInfo), offsetof(Np_LinkageEventInfo, time));

    AddIoTModbus(d);
    for (const Np_IoTWorkModeParams& mode : IoTWorkModes())
        d.PutRecord("iotWorkMode", {mode.workModeId}, BytesOf(mode));
    for (const Np_IoTLoraWorkModeParams& mode : IoTLoraWorkModes())
        d.PutRecord("iotLoraWorkMode", {mode.workModeId}, BytesOf(mode));
    KeepPlans(d);  // the templates its work modes run under
}

// ------------------------------------------------------------ types 102 and 105

// A monitoring event: its values are reached at their byte offsets, as
// sourceType, value and threshold are not aligned.
template <class Event>
std::vector<Event> MonitoringEvents() {
    const struct {
        int32_t code;
        int hour, minute;
        uint8_t channel;
        int32_t source;
        float value, threshold;
    } events[] = {
        {2003, 7, 55, 0, 1, 0, 0},         {2001, 7, 56, 0, 1, 0, 0},
        {2100, 8, 12, 3, 2, 0, 0},         {2200, 8, 12, 1, 3, 0, 0},
        {2301, 8, 40, 1, 4, 36.2f, 35.0f}, {2300, 9, 5, 1, 4, 28.4f, 35.0f},
        {2401, 9, 31, 0, 5, 30.6f, 30.0f}, {2400, 10, 2, 0, 5, 26.1f, 30.0f},
    };
    std::vector<Event> list;
    for (const auto& e : events) {
        Event r{};
        r.eventCode = e.code;
        r.time = Today(e.hour, e.minute, 9);
        r.channel = e.channel;
        Put(r, offsetof(Event, sourceType), e.source);
        Put(r, offsetof(Event, value), e.value);
        Put(r, offsetof(Event, threshold), e.threshold);
        list.push_back(r);
    }
    return list;
}

// The base page's records: three accounts, the two hosts that manage the
// unit (those of its log) bound, their cards listed but not yet enforced,
// and the upload and storage settings of a unit reporting every 5 minutes.
void AddFsuBase(SimDevice& d) {
    const struct {
        const char* name;  // the unit takes letters and digits only
        const char* password;
        int32_t permissions;  // bit 0 configure, bit 1 upgrade
    } users[] = {{"admin", "Adm#2024", 3}, {"zhangwei", "zw881206", 1}, {"duty", "duty0705", 0}};
    uint8_t index = 1;
    for (const auto& u : users) {
        Np_FsuUserData rec{};
        rec.index = index;
        Text(rec.name, u.name);
        Text(rec.password, u.password);
        rec.valid = 1;
        Put(rec, offsetof(Np_FsuUserData, permissions), u.permissions);
        d.PutRecord("fsuUser", {index}, BytesOf(rec));
        ++index;
    }

    Np_FsuIpBindParams ip{};
    ip.enable = 1;
    Text(ip.ip[0], "192.168.1.100");
    Text(ip.ip[1], "192.168.1.23");
    d.PutRecord("fsuIpBind", {}, BytesOf(ip));

    Np_FsuMacBindParams mac{};
    Text(mac.mac[0], "02:5A:00:3C:10:01");
    Text(mac.mac[1], "02:5A:00:3C:10:02");
    d.PutRecord("fsuMacBind", {}, BytesOf(mac));

    Np_FsuDeviceInfo base{};
    base.modbusUpload = 1;
    base.analogUpload = 1;
    base.inputUpload = 1;
    Put(base, offsetof(Np_FsuDeviceInfo, uploadInterval), uint32_t{5});
    base.storageEnable = 1;
    Put(base, offsetof(Np_FsuDeviceInfo, normalRecordInterval), uint32_t{30});
    Put(base, offsetof(Np_FsuDeviceInfo, alarmRecordInterval), uint32_t{1});
    base.motionBuzzerOff = 1;
    base.modbusTcpId = 3;
    base.frameIntervalA = 60;
    base.frameIntervalB = 80;
    Put(base, offsetof(Np_FsuDeviceInfo, responseTimeout), int16_t{500});
    d.PutRecord("fsuDeviceInfo", {}, BytesOf(base));
}

void AddFsu(SimDevice& d) {
    AddFsuBase(d);

    // A temperature transmitter on analog channel 1 and its current value.
    Np_FsuAnalogParams analog{};
    analog.channel = 1;
    analog.kind = 1;
    analog.deviceType = 4;
    analog.enabled = 1;
    Put(analog, offsetof(Np_FsuAnalogParams, registerA), 0.00625f);
    Put(analog, offsetof(Np_FsuAnalogParams, registerB), -25.0f);
    analog.upperEnabled = 1;
    Put(analog, offsetof(Np_FsuAnalogParams, upperThreshold), 35.0f);
    analog.lowerEnabled = 1;
    Put(analog, offsetof(Np_FsuAnalogParams, lowerThreshold), 5.0f);
    Put(analog, offsetof(Np_FsuAnalogParams, offset), -0.3f);
    Text(analog.name, "机房温度变送器");
    Text(analog.unit, "°C");
    d.PutRecord("fsuAnalog", {1}, BytesOf(analog));
    Np_FsuAnalogChannelData data{};
    data.channel = 1;
    Put(data, offsetof(Np_FsuAnalogChannelData, value), 7920.0f);
    Text(data.name, "机房温度变送器");
    Text(data.unit, "°C");
    d.PutRecord("fsuAnalogData", {1}, BytesOf(data));

    // Named inputs and outputs, a few in alarm or switched.
    const char* const inputs[] = {"烟感1", "烟感2",    "水浸",     "门磁",
                                  "红外",  "玻璃破碎", "市电停电", "UPS告警"};
    const char* const outputs[] = {"声光报警", "排风扇", "空调启停", "照明", "门锁"};
    Np_FsuInputState inputState{};
    for (size_t i = 0; i < 16; ++i) inputState.state[i] = 1;
    for (uint8_t i = 0; i < 8; ++i) {
        Np_FsuInputParams input{};
        input.channel = static_cast<uint8_t>(i + 1);
        input.delay = 3;
        input.inputType = 1;
        Text(input.name, inputs[i]);
        input.alarmType = 4;
        d.PutRecord("fsuInput", {input.channel}, BytesOf(input));
        Text(inputState.name[i], inputs[i]);
    }
    inputState.state[2] = 2;  // water on the floor
    inputState.state[6] = 0;
    d.PutRecord("fsuInputState", {}, BytesOf(inputState));
    Np_FsuOutputState outputState{};
    for (uint8_t i = 0; i < 5; ++i) {
        Np_FsuOutputParams output{};
        output.channel = static_cast<uint8_t>(i + 1);
        output.delay = 10;
        Text(output.name, outputs[i]);
        d.PutRecord("fsuOutput", {output.channel}, BytesOf(output));
        Text(outputState.name[i], outputs[i]);
    }
    outputState.state[1] = 1;
    outputState.state[2] = 1;
    Text(outputState.name[16], "独立控制输出");
    d.PutRecord("fsuOutputState", {}, BytesOf(outputState));

    // An air conditioner on the first Modbus peripheral (channel 0, the one
    // a page reads before its channel list is opened), its live values and
    // its register group.
    const struct {
        const char* name;
        const char* unit;
        float value, upper, lower;
    } registers[] = {
        {"回风温度", "°C", 24.5f, 30.0f, 10.0f}, {"回风湿度", "%RH", 46.0f, 80.0f, 20.0f},
        {"送风温度", "°C", 16.8f, 25.0f, 8.0f},  {"压缩机电流", "A", 7.2f, 15.0f, 0.0f},
        {"运行状态", "", 1.0f, 1.0f, 0.0f},      {"累计运行时间", "h", 8760.0f, 99999.0f, 0.0f},
    };
    constexpr uint8_t kUsed = sizeof registers / sizeof registers[0];
    Np_FsuModbusParams peripheral{};
    peripheral.channel = 0;
    peripheral.enable = 1;
    peripheral.deviceType = 2;
    peripheral.address = 17;
    peripheral.readFunction = 3;
    peripheral.writeFunction = 6;
    peripheral.activeUpload = 1;
    Put(peripheral, offsetof(Np_FsuModbusParams, startAddress), uint16_t{256});
    peripheral.dataLength = kUsed;
    Text(peripheral.name, "机房精密空调1");
    d.PutRecord("fsuModbusParams", {0}, BytesOf(peripheral));

    Np_FsuModbusValues values{};
    values.deviceType = 2;
    values.validLength = kUsed;
    values.online = 1;
    Np_FsuRegisterParams group{};
    Np_FsuRegisterDesc desc{};
    for (size_t i = 0; i < kUsed; ++i) {
        const auto& r = registers[i];
        Put(values, offsetof(Np_FsuModbusValues, values) + 4 * i, r.value);
        Text(values.names[i], r.name);
        Text(values.units[i], r.unit);
        Put(group, offsetof(Np_FsuRegisterParams, valueA) + 4 * i, 0.1f);
        Put(group, offsetof(Np_FsuRegisterParams, valueB) + 4 * i, 0.0f);
        group.upperEnabled[i] = i < 4;
        Put(group, offsetof(Np_FsuRegisterParams, upperThreshold) + 4 * i, r.upper);
        group.lowerEnabled[i] = i < 3;
        Put(group, offsetof(Np_FsuRegisterParams, lowerThreshold) + 4 * i, r.lower);
        Put(group, offsetof(Np_FsuRegisterParams, hysteresis) + 4 * i, 0.5f);
        group.thresholdType[i] = i == 4 ? 2 : 1;
        Text(group.name[i], r.name);
        Text(group.unit[i], r.unit);
    }
    Text(desc.desc[0], "回风口温度，高于30°C告警");
    Text(desc.desc[1], "回风口相对湿度");
    d.PutRecord("fsuModbusValues", {0}, BytesOf(values));
    d.PutRecord("fsuRegisterParams", {0}, BytesOf(group));
    d.PutRecord("fsuRegisterDesc", {0}, BytesOf(desc));

    KeepList(d, "event", MonitoringEvents<Np_FsuEventInfo>());
    ServePages(d, kGetEvent, "event", sizeof(Np_FsuEventInfo), offsetof(Np_FsuEventInfo, time));
}

void AddUit(SimDevice& d) {
    // Reporting to the monitoring centre, with its panel's maker set.
    Np_UitServerInfo server{};
    server.serverNo = 0;
    server.enable = 1;
    Text(server.address, "172.16.20.15");
    Put(server, offsetof(Np_UitServerInfo, port), int32_t{8600});
    d.PutRecord("uitServer", {}, BytesOf(server));
    Np_UitManufInfo manuf{};
    manuf.manufacturer = 1;
    d.PutRecord("uitManuf", {}, BytesOf(manuf));

    KeepList(d, "event", MonitoringEvents<Np_UitEventInfo>());
    ServePages(d, kGetEvent, "event", sizeof(Np_UitEventInfo), offsetof(Np_UitEventInfo, time));
}

// ------------------------------------------------------------ types 103 and 104

void AddNtp(SimDevice& d) {
    // A fix over a city in the east.
    Np_NtpLocationInfo rec{};
    Text(rec.eastWest, "E");
    Text(rec.longitude, "121.4737");
    Text(rec.southNorth, "N");
    Text(rec.latitude, "31.2304");
    Text(rec.antennaStatus, "正常");
    Text(rec.satelliteType, "北斗+GPS");
    rec.satelliteNum = 14;
    d.PutRecord("ntpLocation", {}, BytesOf(rec));
}

// The user record's layout is the device's; this one holds the person
// number in its first 10 bytes (the key that reads it) and the name after.
constexpr size_t kFprKeySize = sizeof(Np_FprUserKey);
constexpr size_t kFprNameSize = 32;

// So do the information and the parameters: the information holds the
// identity the common record gives (serial number at 0, model at 20,
// firmware at 36, texts) and the counts of what the reader keeps (users at
// 68, fingerprints at 70, then the capacities for each, 16 bits each); the
// parameters hold the verification mode at 0 (3: fingerprint or card), the
// release in seconds at 1, the match level (1 to 5) at 2, the volume (0 to
// 10) at 3, the door sensor switch at 4 and its alarm delay in seconds at 5
// (16 bits).
constexpr size_t kFprSerialAt = 0, kFprModelAt = 20, kFprFirmwareAt = 36, kFprCountsAt = 68;
constexpr uint16_t kFprFingersPerUser = 2;

void AddFpr(SimDevice& d) {
    const struct {
        const char personNo[kFprKeySize];
        const char name[kFprNameSize];
    } users[] = {{"1001", "张伟"}, {"1002", "李娜"}, {"1003", "刘洋"}};
    for (const auto& u : users) {
        Bytes user(sizeof(Np_FprUserData), 0);
        std::memcpy(user.data(), u.personNo, sizeof u.personNo);
        std::memcpy(user.data() + kFprKeySize, u.name, sizeof u.name);
        d.PutRecord("fprUser", Bytes(user.begin(), user.begin() + kFprKeySize), user);
    }

    Np_DeviceInfo common{};
    if (const std::optional<Bytes> kept = d.GetRecord("deviceInfo", {}))
        std::memcpy(&common, kept->data(), std::min(sizeof common, kept->size()));
    Np_FprDeviceInfo info{};
    const auto text = [&info](size_t at, size_t size, const char* from, size_t limit) {
        std::memcpy(info.data + at, from, std::min(size - 1, strnlen(from, limit)));
    };
    text(kFprSerialAt, kFprModelAt - kFprSerialAt, common.serialNo, sizeof common.serialNo);
    text(kFprModelAt, kFprFirmwareAt - kFprModelAt, common.deviceModel, sizeof common.deviceModel);
    text(kFprFirmwareAt, kFprCountsAt - kFprFirmwareAt, common.firmwareVersion,
         sizeof common.firmwareVersion);
    const uint16_t userCount = sizeof users / sizeof users[0];
    const uint16_t counts[] = {userCount, uint16_t(userCount * kFprFingersPerUser), 3000, 6000};
    std::memcpy(info.data + kFprCountsAt, counts, sizeof counts);
    d.PutRecord("fprDeviceInfo", {}, BytesOf(info));

    Np_FprDeviceParams params{};
    params.data[0] = 3;
    params.data[1] = 5;
    params.data[2] = 3;
    params.data[3] = 6;
    params.data[4] = 1;
    const uint16_t alarmDelay = 30;
    std::memcpy(params.data + 5, &alarmDelay, sizeof alarmDelay);
    d.PutRecord("fprParams", {}, BytesOf(params));
}

}  // namespace

std::vector<Np_AccCardInfo> AccCards() {
    const struct {
        const char* number;
        const char* user;
        uint8_t type;
        int32_t employee;
        std::vector<uint8_t> groups;
    } cards[] = {
        {"3721904582", "李明远", 4, 10023, {1, 3, 6}},
        {"3721904617", "王芳", 1, 10031, {1}},
        {"3721904633", "陈志强", 1, 10047, {2, 3}},
    };
    std::vector<Np_AccCardInfo> list;
    for (const auto& c : cards) {
        Np_AccCardInfo card{};
        Text(card.cardNo, c.number);
        card.firstCard = list.empty();
        card.cardType = c.type;
        card.validFrom = Np_Time{2024, 3, 1, 8, 0, 0, 0};
        card.validTo = Np_Time{2027, 2, 28, 18, 0, 0, 0};
        std::memcpy(card.password, "135790", 6);
        Text(card.userName, c.user);
        Put(card, offsetof(Np_AccCardInfo, employeeNo), c.employee);
        const uint16_t rights[16] = {1, 1, 2, 2, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 5};
        std::memcpy(card.doorRights, rights, sizeof rights);
        std::copy(c.groups.begin(), c.groups.end(), card.groups);
        list.push_back(card);
    }
    return list;
}

std::vector<Np_AccEventInfo> AccEvents() {
    // Card swipes at two doors this morning.
    const struct {
        int32_t code;
        int minute;
        uint8_t door;
        const char* card;
        uint8_t direction;
    } swipes[] = {
        {1, 2, 1, "3721904582", 1},  {1, 3, 2, "3721904617", 1}, {4, 5, 1, "3721904633", 1},
        {5, 6, 1, "1000482211", 1},  {1, 9, 2, "3721904582", 2}, {6, 12, 1, "3721900042", 1},
        {2, 14, 1, "3721904700", 1},
    };
    std::vector<Np_AccEventInfo> list;
    for (const auto& s : swipes) {
        Np_AccEventInfo e{};
        e.eventCode = s.code;
        e.time = Today(8, s.minute, 16);
        e.doorNo = s.door;
        Text(e.cardNo, s.card);
        e.direction = s.direction;
        list.push_back(e);
    }
    return list;
}

void RunClock(SimDevice& d) {
    // Seconds between the device's clock and the host's.
    auto offset = std::make_shared<std::atomic<int64_t>>(0);
    d.SetHandler(kGetTime, [offset](const Request&) -> std::optional<Bytes> {
        return StatusPayload(0, BytesOf(TimeOf(LocalTime(std::time(nullptr) + offset->load()))));
    });
    SimDevice* device = &d;  // the handler lives in the device it writes
    d.SetHandler(kSetTime, [offset, device](const Request& r) -> std::optional<Bytes> {
        if (r.plain.size() != sizeof(Np_Time)) return StatusPayload(kResultLengthMismatch);
        Np_Time t{};
        std::memcpy(&t, r.plain.data(), sizeof t);
        const std::optional<std::time_t> host = HostTime(t);
        if (!host) return StatusPayload(kResultInvalidParam);
        offset->store(static_cast<int64_t>(*host - std::time(nullptr)));
        device->PutRecord("time", {}, r.plain);
        return StatusPayload(0);
    });
}

// Smoke sounds the siren, runs the fan and releases the door lock; water on
// the floor sounds the siren. Both at any hour (plan template 2).
std::vector<Np_IoTWorkModeParams> IoTWorkModes() {
    constexpr uint8_t kAnyToAll = 4, kHigh = 2, kFollow = 0, kPulse = 1;
    return {WorkMode(1, kAnyToAll, 2, {{2, kHigh}}, {{1, kFollow}, {2, kFollow}, {3, kPulse}}),
            WorkMode(2, kAnyToAll, 2, {{3, kHigh}}, {{1, kFollow}})};
}

// At night (plan template 3), the door open while the infrared detector
// sees someone pulses the siren.
std::vector<Np_IoTLoraWorkModeParams> IoTLoraWorkModes() {
    constexpr uint8_t kAllToAll = 5, kHigh = 2, kPulse = 1;
    return {WorkMode(1, kAllToAll, 3, {{1, kHigh}, {4, kHigh}}, {{1, kPulse}})};
}

void Apply(SimDevice& d) {
    const uint32_t type = d.Type();
    RunClock(d);
    AddCommon(d, type);
    switch (type) {
        case TSL_DEVICE_ACC:
            return AddAcc(d);
        case TSL_DEVICE_IOT:
            return AddIoT(d);
        case TSL_DEVICE_FSU:
            return AddFsu(d);
        case TSL_DEVICE_NTP:
            return AddNtp(d);
        case TSL_DEVICE_FPR:
            return AddFpr(d);
        case TSL_DEVICE_UIT:
            return AddUit(d);
        default:
            return;
    }
}

}  // namespace devsim::plausible
