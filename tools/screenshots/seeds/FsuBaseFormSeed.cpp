// The unit's base page: three accounts, bound addresses and its base
// parameters, as a site's unit might hold them.
#include "FsuBaseForm.h"
#include "PageKit.h"
#include "Seeds.h"
#include "TslFsu.h"

namespace {

void fill(devsim::SimDevice& d) {
    const struct {
        const char* name;
        const char* password;
        int32_t permissions;
    } users[] = {{"admin", "Adm#2024", 3}, {"zhangwei", "zw881206", 1}, {"值班员", "duty0705", 0}};
    uint8_t index = 1;
    for (const auto& u : users) {
        Np_FsuUserData rec{};
        rec.index = index;
        shots::putText(rec.name, u.name);
        shots::putText(rec.password, u.password);
        rec.valid = 1;
        kit::store<int32_t>(KIT_FIELD(rec, permissions), u.permissions);
        d.PutRecord("fsuUser", {index}, shots::bytesOf(rec));
        ++index;
    }

    Np_FsuIpBindParams ip{};
    ip.enable = 1;
    shots::putText(ip.ip[0], "192.168.10.20");
    shots::putText(ip.ip[1], "192.168.10.21");
    shots::putText(ip.ip[2], "10.8.0.5");
    d.PutRecord("fsuIpBind", {}, shots::bytesOf(ip));

    Np_FsuMacBindParams mac{};
    shots::putText(mac.mac[0], "02:5A:00:3C:10:01");
    shots::putText(mac.mac[1], "02:5A:00:3C:10:02");
    d.PutRecord("fsuMacBind", {}, shots::bytesOf(mac));

    Np_FsuDeviceInfo base{};
    base.modbusUpload = 1;
    base.analogUpload = 1;
    base.inputUpload = 1;
    kit::store<uint32_t>(KIT_FIELD(base, uploadInterval), 5);
    base.storageEnable = 1;
    kit::store<uint32_t>(KIT_FIELD(base, normalRecordInterval), 30);
    kit::store<uint32_t>(KIT_FIELD(base, alarmRecordInterval), 1);
    base.motionBuzzerOff = 1;
    base.modbusTcpId = 3;
    base.frameIntervalA = 60;
    base.frameIntervalB = 80;
    kit::store<int16_t>(KIT_FIELD(base, responseTimeout), 500);
    d.PutRecord("fsuDeviceInfo", {}, shots::bytesOf(base));
}

const bool seeded = shots::addSeed({&FsuBaseForm::staticMetaObject,
                                    {"userGetButton", "ipBindGetButton", "macBindGetButton", "baseGetButton"},
                                    fill});

}  // namespace
