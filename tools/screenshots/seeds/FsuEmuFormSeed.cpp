// The unit's analog page: a temperature transmitter on channel 1, the
// calibration table, its current value and serial port 1.
#include "FsuEmuForm.h"
#include "PageKit.h"
#include "Seeds.h"
#include "TslFsu.h"

namespace {

void fill(devsim::SimDevice& d) {
    Np_FsuAnalogParams analog{};
    analog.channel = 1;
    analog.kind = 1;
    analog.deviceType = 4;
    analog.enabled = 1;
    kit::storeFloat(KIT_FIELD(analog, registerA), 0.00625f);
    kit::storeFloat(KIT_FIELD(analog, registerB), -25.0f);
    analog.upperEnabled = 1;
    kit::storeFloat(KIT_FIELD(analog, upperThreshold), 35.0f);
    analog.lowerEnabled = 1;
    kit::storeFloat(KIT_FIELD(analog, lowerThreshold), 5.0f);
    kit::storeFloat(KIT_FIELD(analog, offset), -0.3f);
    shots::putText(analog.name, "机房温度变送器");
    shots::putText(analog.unit, "°C");
    d.PutRecord("fsuAnalog", {1}, shots::bytesOf(analog));

    Np_FsuAnalogCalibrateParams calib{};
    const int16_t offsets[16] = {12, -8, 5, 0, 3, -15, 7, 0, 0, 2, -4, 0, 9, 0, -1, 6};
    for (size_t i = 0; i < 16; ++i) kit::store<int16_t>(KIT_FIELD(calib, values) + 2 * i, offsets[i]);
    d.PutRecord("fsuCalibrate", {}, shots::bytesOf(calib));

    Np_FsuAnalogChannelData data{};
    data.channel = 1;
    kit::storeFloat(KIT_FIELD(data, value), 7920.0f);
    shots::putText(data.name, "机房温度变送器");
    shots::putText(data.unit, "°C");
    d.PutRecord("fsuAnalogData", {1}, shots::bytesOf(data));

    Np_FsuRs485Info port{};
    port.port = 1;
    kit::store<int32_t>(KIT_FIELD(port, baudRate), 9600);
    kit::store<int32_t>(KIT_FIELD(port, dataBits), 8);
    kit::store<int32_t>(KIT_FIELD(port, stopBits), 1);
    kit::store<int32_t>(KIT_FIELD(port, parity), 1);
    d.PutRecord("fsuRs485", {1}, shots::bytesOf(port));
}

// The linkage task id is typed by the user; there is nothing to read first.
const bool seeded = shots::addSeed({&FsuEmuForm::staticMetaObject,
                                    {"emuGetButton", "calibGetButton", "emuDataGetButton", "rs485GetButton"},
                                    fill});

}  // namespace
