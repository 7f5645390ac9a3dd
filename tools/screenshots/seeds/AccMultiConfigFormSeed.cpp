// Door 1 interlocked with doors 2 and 3, four readers in the anti-passback
// loop, a two-group combination and a linkage opening door 2 on an alarm.
#include "AccMultiConfigForm.h"
#include "AccSeeds.h"
#include "Seeds.h"
#include "TslAcc.h"

namespace {

void fill(devsim::SimDevice& d) {
    Np_AccMultiLockInfo lock{};
    lock.doorNo = 1;
    lock.count = 2;
    lock.doors[0] = 2;
    lock.doors[1] = 3;
    d.PutRecord("accMultiLock", accseed::key(uint8_t{1}), shots::bytesOf(lock));

    Np_AccAntiInfo anti{};
    const uint8_t readers[] = {1, 2, 3, 4};
    anti.count = sizeof readers;
    std::memcpy(anti.readers, readers, sizeof readers);
    d.PutRecord("accAnti", {}, shots::bytesOf(anti));

    Np_AccMultiCardInfo combination{};
    combination.combinationId = 1;
    combination.doorNo = 1;
    combination.templateId = 1;
    combination.ordered = 1;
    combination.readerPosition = 1;
    combination.count = 2;
    combination.groups[0] = 1;
    combination.groups[1] = 3;
    combination.dailyFirstGroup = 1;
    d.PutRecord("accMultiCard", accseed::key(uint8_t{1}), shots::bytesOf(combination));

    Np_AccLinkageInfo link{};
    link.linkageId = 1;
    link.eventNo = 23;
    link.inputSource = 1;
    link.inputNo = 2;
    link.outputSource = 0;
    link.outputNo = 2;
    link.actionType = 1;
    link.actionDelay = 5;
    d.PutRecord("accLinkage", accseed::key(uint8_t{1}), shots::bytesOf(link));

    shots::typeInto("AccMultiConfigForm", "cardComboBox", "1");
    shots::typeInto("AccMultiConfigForm", "linkComboBox", "1");
}

const bool seeded = shots::addSeed({&AccMultiConfigForm::staticMetaObject,
                                    {"lockGetButton", "antiGetButton", "cardGetButton", "linkGetButton"},
                                    fill});

}  // namespace
