// The records a device of tessaly-devsim starts with, read through the SDK
// as a newcomer's first reads would: each must look like a device in
// service, so that a decoder returning zeros cannot pass for a working read.
#include <arpa/inet.h>
#include <gtest/gtest.h>

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
