// The unit's analog page: a temperature transmitter on channel 1 with its
// current value (as every simulated unit starts), the calibration table and
// serial port 1.
#include "FsuEmuForm.h"
#include "PageKit.h"
#include "Seeds.h"
#include "TslFsu.h"

namespace {

void fill(devsim::SimDevice& d) {
    Np_FsuAnalogCalibrateParams calib{};
    const int16_t offsets[16] = {12, -8, 5, 0, 3, -15, 7, 0, 0, 2, -4, 0, 9, 0, -1, 6};
    for (size_t i = 0; i < 16; ++i) kit::store<int16_t>(KIT_FIELD(calib, values) + 2 * i, offsets[i]);
    d.PutRecord("fsuCalibrate", {}, shots::bytesOf(calib));

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
