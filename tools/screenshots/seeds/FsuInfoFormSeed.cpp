// The time server's receiver location: a fix over a city in the east.
#include "FsuInfoForm.h"
#include "PageKit.h"
#include "Seeds.h"
#include "TslNtp.h"

namespace {

void fill(devsim::SimDevice& d) {
    Np_NtpLocationInfo rec{};
    shots::putText(rec.eastWest, "E");
    shots::putText(rec.longitude, "121.4737");
    shots::putText(rec.southNorth, "N");
    shots::putText(rec.latitude, "31.2304");
    shots::putText(rec.antennaStatus, "正常");
    shots::putText(rec.satelliteType, "北斗+GPS");
    kit::store<int32_t>(KIT_FIELD(rec, satelliteNum), 14);
    d.PutRecord("ntpLocation", {}, shots::bytesOf(rec));
}

const bool seeded = shots::addSeed({&FsuInfoForm::staticMetaObject, {"infoGetButton"}, fill});

}  // namespace
