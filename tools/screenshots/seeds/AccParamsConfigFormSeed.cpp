// A controller a few months in service: its parameters, storage and the
// system text it reports.
#include "AccParamsConfigForm.h"
#include "Seeds.h"
#include "TslAcc.h"

namespace {

const char kSystemText[] =
    "型号：TS-AC400 四门门禁控制器\n"
    "固件版本：V2.3.1 build 20240518\n"
    "硬件版本：HW-3\n"
    "序列号：TS2024001201\n"
    "运行时间：36天4小时12分\n"
    "读卡器：4个在线";

void fill(devsim::SimDevice& d) {
    Np_AccDeviceInfo info{};
    info.emergencySwitch = 0;
    info.batteryLowVoltage = 115;
    info.recordAlarmPercent = 9000;
    info.globalAntiPassback = 1;
    info.noDefaultOpen = 0;
    const uint8_t volume[4] = {20, 20, 15, 25};
    std::memcpy(info.doorVolume, volume, sizeof volume);
    info.offlineCentralAuth = 1;
    info.simulatedCards = 1000;
    info.simulatedEvents = 5000;
    info.simulatedLogs = 2000;
    info.defaultFireSignal = 1;
    d.PutRecord("accDevice", {}, shots::bytesOf(info));

    Np_AccFlashInfo flash{};
    flash.storageSize = 16777216;
    flash.storageUsed = 4194304;
    flash.cardCapacity = 100000;
    flash.cardsIssued = 2356;
    flash.eventCapacity = 300000;
    flash.eventsStored = 48211;
    d.PutRecord("accFlash", {}, shots::bytesOf(flash));

    Np_AccSystemInfo system{};
    std::memcpy(system.text, kSystemText, sizeof kSystemText - 1);
    d.PutRecord("accSystemInfo", {}, shots::bytesOf(system));
}

const bool seeded = shots::addSeed(
    {&AccParamsConfigForm::staticMetaObject, {"getButton", "infoGetButton", "sysInfoGetButton"}, fill});

}  // namespace
