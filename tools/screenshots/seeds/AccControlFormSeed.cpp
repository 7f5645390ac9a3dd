// Door 1 unlocked and shut in normal mode; auxiliary output 2 held open 3 s.
#include "AccControlForm.h"
#include "AccSeeds.h"
#include "Seeds.h"
#include "TslAcc.h"

namespace {

void fill(devsim::SimDevice& d) {
    Np_AccChannelState state{};
    state.channel = 1;
    state.lockState = 1;
    state.doorState = 0;
    state.modeState = 5;
    d.PutRecord("accChannelState", accseed::key(uint8_t{1}), shots::bytesOf(state));

    Np_AccIOParams io{};
    io.ioNo = 2;
    io.outputPolarity = 1;
    io.inputPolarity = 0;
    io.outputDuration = 3;
    d.PutRecord("accIOParams", accseed::key(uint8_t{2}), shots::bytesOf(io));

    shots::typeInto("AccControlForm", "ioEdit", "2");
    shots::typeInto("AccControlForm", "ioConfigEdit", "2");
}

const bool seeded =
    shots::addSeed({&AccControlForm::staticMetaObject, {"stateGetButton", "ioGetButton"}, fill});

}  // namespace
