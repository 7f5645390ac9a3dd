// A staff card with its doors, groups and validity, and the card's groups.
#include "AccCardConfigForm.h"
#include "AccSeeds.h"
#include "Seeds.h"
#include "TslAcc.h"

namespace {

const char kCardNo[] = "3721904582";

void fill(devsim::SimDevice& d) {
    Np_AccCardInfo card{};
    std::strcpy(card.cardNo, kCardNo);
    card.firstCard = 1;
    card.cardType = 4;
    card.validFrom = Np_Time{2024, 3, 1, 8, 0, 0, 0};
    card.validTo = Np_Time{2027, 2, 28, 18, 0, 0, 0};
    std::memcpy(card.password, "135790", 6);
    std::strcpy(card.userName, "李明远");
    card.employeeNo = 10023;
    const uint16_t rights[16] = {1, 1, 2, 2, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 5};
    std::memcpy(card.doorRights, rights, sizeof rights);
    const uint8_t groups[] = {1, 3, 6};
    std::memcpy(card.groups, groups, sizeof groups);
    d.PutRecord("accCard", accseed::key(kCardNo), shots::bytesOf(card));

    Np_AccCardGroupList list{};
    std::memcpy(list.groups, groups, sizeof groups);
    d.PutRecord("accCardGroup", accseed::key(kCardNo), shots::bytesOf(list));

    shots::typeInto("AccCardConfigForm", "cardEdit", kCardNo);
    shots::typeInto("AccCardConfigForm", "cgCardEdit", kCardNo);
    shots::typeInto("AccCardConfigForm", "cgSingleEdit", "6");
}

const bool seeded =
    shots::addSeed({&AccCardConfigForm::staticMetaObject, {"getButton", "cgGetButton"}, fill});

}  // namespace
