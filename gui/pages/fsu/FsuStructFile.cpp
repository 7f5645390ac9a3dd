#include "FsuStructFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <cstring>

#include "PageKit.h"

namespace {

constexpr int kTooLong = -6;
constexpr int kNotUsable = -14;
constexpr int kMaxAddresses = 100;

// A member as an integer within [lo, hi]; a member that is missing or not a
// number counts as 0, a number that is no such integer refuses the file.
bool integer(const QJsonValue& value, double lo, double hi, double& out) {
    out = 0;
    if (!value.isDouble()) return true;
    const double v = value.toDouble();
    if (!std::isfinite(v) || std::floor(v) != v || v < lo || v > hi) return false;
    out = v;
    return true;
}

}  // namespace

StructFileCheck parseStructFile(const QByteArray& bytes) {
    StructFileCheck check;
    if (bytes.size() > kStructFileMaxBytes) {
        check.code = kTooLong;
        return check;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        check.code = kNotUsable;
        return check;
    }
    for (const QJsonValue& entry : doc.object().value("data").toArray()) {
        const QJsonObject object = entry.toObject();
        double typeNo = 0, base = 0;
        const QJsonArray map = object.value("map").toArray();
        bool ok = integer(object.value("typeNo"), 0, 255, typeNo) &&
                  integer(object.value("plaformBaseAddr"), 0, 4294967295.0, base) &&
                  map.size() <= kMaxAddresses;
        Np_FsuRegisterMap record{};
        record.typeNo = static_cast<uint8_t>(typeNo);
        record.count = static_cast<uint8_t>(map.size());
        kit::store<uint32_t>(KIT_FIELD(record, platformBaseAddr), static_cast<uint32_t>(base));
        for (int i = 0; ok && i < map.size(); ++i) {
            double address = 0;
            ok = integer(map.at(i).toObject().value("regAddr"), 0, 65535, address);
            kit::store<uint16_t>(KIT_FIELD(record, regAddr) + 2 * i, static_cast<uint16_t>(address));
        }
        if (!ok) {
            check.code = kNotUsable;
            check.maps.clear();
            return check;
        }
        if (record.typeNo != 0) check.maps.push_back(record);
    }
    return check;
}
