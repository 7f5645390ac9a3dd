// The unit's Modbus page: an air conditioner on the first peripheral, its
// live values and its register group. The channel lists fill only when
// opened, so the reads ask for channel 0.
#include "FsuModbusForm.h"
#include "PageKit.h"
#include "Seeds.h"
#include "TslFsu.h"

namespace {

constexpr uint8_t kChannel = 0;

const struct {
    const char* name;
    const char* unit;
    float value;
    float upper;
    float lower;
} kRegisters[] = {
    {"回风温度", "°C", 24.5f, 30.0f, 10.0f}, {"回风湿度", "%RH", 46.0f, 80.0f, 20.0f},
    {"送风温度", "°C", 16.8f, 25.0f, 8.0f},  {"压缩机电流", "A", 7.2f, 15.0f, 0.0f},
    {"运行状态", "", 1.0f, 1.0f, 0.0f},      {"累计运行时间", "h", 8760.0f, 99999.0f, 0.0f},
};
constexpr size_t kUsed = sizeof kRegisters / sizeof kRegisters[0];

void fill(devsim::SimDevice& d) {
    Np_FsuModbusParams peripheral{};
    peripheral.channel = kChannel;
    peripheral.enable = 1;
    peripheral.deviceType = 2;
    peripheral.address = 17;
    peripheral.readFunction = 3;
    peripheral.writeFunction = 6;
    peripheral.activeUpload = 1;
    kit::store<uint16_t>(KIT_FIELD(peripheral, startAddress), 256);
    peripheral.dataLength = static_cast<uint8_t>(kUsed);
    shots::putText(peripheral.name, "机房精密空调1");
    d.PutRecord("fsuModbusParams", {kChannel}, shots::bytesOf(peripheral));

    Np_FsuModbusValues values{};
    values.channel = kChannel;
    values.deviceType = 2;
    values.validLength = static_cast<uint8_t>(kUsed);
    values.online = 1;
    Np_FsuRegisterParams group{};
    group.channel = kChannel;
    Np_FsuRegisterDesc desc{};
    desc.channel = kChannel;
    for (size_t i = 0; i < kUsed; ++i) {
        const auto& r = kRegisters[i];
        kit::storeFloat(KIT_FIELD(values, values) + 4 * i, r.value);
        shots::putText(values.names[i], r.name);
        shots::putText(values.units[i], r.unit);

        kit::storeFloat(KIT_FIELD(group, valueA) + 4 * i, 0.1f);
        kit::storeFloat(KIT_FIELD(group, valueB) + 4 * i, 0.0f);
        group.upperEnabled[i] = i < 4;
        kit::storeFloat(KIT_FIELD(group, upperThreshold) + 4 * i, r.upper);
        group.lowerEnabled[i] = i < 3;
        kit::storeFloat(KIT_FIELD(group, lowerThreshold) + 4 * i, r.lower);
        kit::storeFloat(KIT_FIELD(group, hysteresis) + 4 * i, 0.5f);
        group.thresholdType[i] = i == 4 ? 2 : 1;
        shots::putText(group.name[i], r.name);
        shots::putText(group.unit[i], r.unit);
    }
    shots::putText(desc.desc[0], "回风口温度，高于30°C告警");
    shots::putText(desc.desc[1], "回风口相对湿度");
    d.PutRecord("fsuModbusValues", {kChannel}, shots::bytesOf(values));
    d.PutRecord("fsuRegisterParams", {kChannel}, shots::bytesOf(group));
    d.PutRecord("fsuRegisterDesc", {kChannel}, shots::bytesOf(desc));
}

const bool seeded = shots::addSeed(
    {&FsuModbusForm::staticMetaObject, {"modbusGetButton", "dataGetButton", "regGetButton"}, fill});

}  // namespace
