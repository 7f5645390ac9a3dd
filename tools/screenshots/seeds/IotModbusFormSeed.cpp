#include "IotModbusForm.h"
#include "Seeds.h"
#include "TslIoT.h"

namespace {

// Channel 1: a temperature and humidity sensor read every few seconds.
void fill(devsim::SimDevice& d) {
    Np_IoTModbusParams p{};
    p.channel = 1;
    p.enable = 1;
    p.deviceType = 1;
    p.slaveAddress = 1;
    p.readFunction = 3;
    p.writeFunction = 6;
    p.activeUpload = 0;
    p.registerStart = 100;
    p.registerCount = 4;
    shots::putText(p.name, "温湿度传感器");
    d.PutRecord("iotModbus", {1}, shots::bytesOf(p));

    const char* names[] = {"温度", "湿度", "二氧化碳", "PM2.5"};
    const char* units[] = {"°C", "%RH", "ppm", "μg/m³"};
    const float values[] = {23.5f, 56.2f, 612.0f, 18.0f};
    const float scales[] = {0.1f, 0.1f, 1.0f, 1.0f};
    Np_IoTModbusData data{};
    Np_IoTRegisterParams regs{};
    data.channel = regs.channel = 1;
    data.deviceType = 1;
    data.validLength = 4;
    data.online = 1;
    for (int i = 0; i < 4; ++i) {
        data.values[i] = values[i];
        regs.registerA[i] = scales[i];
        regs.registerB[i] = 0.0f;
        shots::putText(data.names[i], names[i]);
        shots::putText(data.units[i], units[i]);
        shots::putText(regs.names[i], names[i]);
        shots::putText(regs.units[i], units[i]);
    }
    d.PutRecord("iotModbusData", {1}, shots::bytesOf(data));
    d.PutRecord("iotRegister", {1}, shots::bytesOf(regs));

    Np_IoTAlarmIoInfo alarm{};
    alarm.output12vEnable = 1;
    alarm.modbusTcpId = 10;
    alarm.loraId = 101;
    d.PutRecord("iotAlarmIo", {}, shots::bytesOf(alarm));
}

const bool seeded = shots::addSeed({&IotModbusForm::staticMetaObject,
                                    {"modbusGetButton", "dataGetButton", "regGetButton", "alarm12vGetButton"},
                                    fill});

}  // namespace
