// An access controller at a site's front gate: its name and versions, the
// first network card set by hand, its clock, an NTP server and both buses.
#include <cstring>

#include "CommonSeeds.h"
#include "NetworkConfigForm.h"
#include "Seeds.h"
#include "TslDev.h"

namespace {

void fill(devsim::SimDevice& d) {
    using shots::bytesOf;
    Np_DeviceInfo info{};
    std::strcpy(info.serialNo, "TS2024000118");
    std::strcpy(info.deviceName, "东门门禁");
    std::strcpy(info.deviceModel, "TSL-AC400");
    std::strcpy(info.mac, "02:5a:00:00:10:76");
    std::strcpy(info.protocolVersion, "1.3");
    std::strcpy(info.firmwareVersion, "V2.1.7 build 20240612");
    std::strcpy(info.hardwareVersion, "HW-3.2");
    d.PutRecord("deviceInfo", {}, bytesOf(info));

    Np_DeviceNetworkInfo net{};
    net.mode = 0;
    std::strcpy(net.ip, "192.168.1.118");
    std::strcpy(net.mask, "255.255.255.0");
    std::strcpy(net.gateway, "192.168.1.1");
    net.port = 6500;
    d.PutRecord("network1", {}, bytesOf(net));

    d.PutRecord("time", {}, bytesOf(commonseed::today(9, 41, 27)));

    Np_NtpInfo ntp{};
    ntp.enable = 1;
    std::strcpy(ntp.serverIp, "192.168.1.10");
    ntp.serverPort = 123;
    d.PutRecord("ntp", {}, bytesOf(ntp));

    Np_DeviceRs485Info bus{};
    bus.upstream = Np_Rs485Port{9600, 8, 1, 0};
    bus.downstream = Np_Rs485Port{19200, 8, 2, 1};
    d.PutRecord("rs485", {}, bytesOf(bus));
}

const bool seeded =
    shots::addSeed({&NetworkConfigForm::staticMetaObject,
                    {"baseGetButton", "netGetButton", "timeGetButton", "ntpGetButton", "rs485GetButton"},
                    fill});

}  // namespace
