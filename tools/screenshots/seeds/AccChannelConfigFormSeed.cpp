// Door 1 as installed: a 5 s release, passwords set, first-card opening on;
// work mode 1 asking card and password on the way in.
#include "AccChannelConfigForm.h"
#include "AccSeeds.h"
#include "Seeds.h"
#include "TslAcc.h"

namespace {

void fill(devsim::SimDevice& d) {
    Np_AccChannelInfo door{};
    door.channel = 1;
    door.lockType = 0;
    door.magneticType = 1;
    door.openButtonType = 0;
    door.ioType = 1;
    door.openDuration = 5;
    door.alarmTime = 30;
    door.dailyFirst = 1;
    door.leaderTime = 120;
    std::memcpy(door.duressPassword, "990110", 6);
    std::memcpy(door.superPassword, "20240601", 8);
    std::memcpy(door.releaseCode, "3366", 4);
    door.templateId = 2;
    door.antiPassback = 1;
    door.openCount = 1;
    d.PutRecord("accChannel", accseed::key(uint8_t{1}), shots::bytesOf(door));

    Np_AccWorkModeParams mode{};
    mode.workModeId = 1;
    mode.channel = 1;
    mode.templateId = 3;
    mode.exitMode = 1;
    mode.entryMode = 2;
    d.PutRecord("accWorkMode", accseed::key(uint8_t{1}), shots::bytesOf(mode));

    shots::typeInto("AccChannelConfigForm", "workmodeComboBox", "1");
}

const bool seeded =
    shots::addSeed({&AccChannelConfigForm::staticMetaObject, {"getButton", "modeGetButton"}, fill});

}  // namespace
