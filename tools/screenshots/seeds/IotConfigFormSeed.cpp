#include "IotConfigForm.h"
#include "Seeds.h"
#include "TslIoT.h"

namespace {

// Port 1 both ways: the machine room's door contact and the siren.
void fill(devsim::SimDevice& d) {
    Np_IoTInputParams in{};
    in.channel = 1;
    in.debounceTime = 2;
    in.inputType = 1;
    shots::putText(in.name, "机房门磁");
    d.PutRecord("iotInput", {1}, shots::bytesOf(in));
    Np_IoTOutputParams out{};
    out.channel = 1;
    out.closeDelay = 1;
    out.closeHold = 30;
    out.openDelay = 0;
    out.openHold = 5;
    shots::putText(out.name, "声光报警器");
    d.PutRecord("iotOutput", {1}, shots::bytesOf(out));
}

const bool seeded =
    shots::addSeed({&IotConfigForm::staticMetaObject, {"inputGetButton", "outputGetButton"}, fill});

}  // namespace
