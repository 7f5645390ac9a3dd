#include "PageKitTimes.h"

#include <QDateTimeEdit>

#include "PageKit.h"

namespace kit {

void showTimeOfDay(QDateTimeEdit* edit, const unsigned char* hms) {
    const QTime time(hms[0], hms[1], hms[2]);
    const QDateTime value = time.isValid() ? QDateTime(edit->date(), time) : QDateTime();
    showDateTime(edit, value, QByteArray(reinterpret_cast<const char*>(hms), 3));
}

void storeTimeOfDay(const QDateTimeEdit* edit, unsigned char* hms) {
    const QByteArray raw = keptRaw(edit);
    if (raw.size() == 3) {
        std::memcpy(hms, raw.constData(), 3);
        return;
    }
    const QTime t = edit->time();
    hms[0] = static_cast<unsigned char>(t.hour());
    hms[1] = static_cast<unsigned char>(t.minute());
    hms[2] = static_cast<unsigned char>(t.second());
}

void showSegment(QDateTimeEdit* start, QDateTimeEdit* end, const Np_TimeSegment& segment) {
    showTimeOfDay(start, KIT_CFIELD(segment, startHour));
    showTimeOfDay(end, KIT_CFIELD(segment, endHour));
}

void storeSegment(const QDateTimeEdit* start, const QDateTimeEdit* end, Np_TimeSegment& segment) {
    storeTimeOfDay(start, KIT_FIELD(segment, startHour));
    storeTimeOfDay(end, KIT_FIELD(segment, endHour));
}

void showDate(QDateTimeEdit* edit, const Np_Date& date) {
    const QDate d(load<uint16_t>(KIT_CFIELD(date, year)), date.month, date.day);
    const QDateTime value = d.isValid() ? QDateTime(d, edit->time()) : QDateTime();
    showDateTime(edit, value, QByteArray(reinterpret_cast<const char*>(&date), sizeof date));
}

Np_Date dateOf(const QDateTimeEdit* edit) {
    Np_Date date{};
    const QByteArray raw = keptRaw(edit);
    if (raw.size() == static_cast<int>(sizeof date)) {
        std::memcpy(&date, raw.constData(), sizeof date);
        return date;
    }
    const QDate d = edit->date();
    store<uint16_t>(KIT_FIELD(date, year), static_cast<uint16_t>(d.year()));
    date.month = static_cast<uint8_t>(d.month());
    date.day = static_cast<uint8_t>(d.day());
    return date;
}

}  // namespace kit
