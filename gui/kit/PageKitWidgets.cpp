#include "PageKitWidgets.h"

#include <QComboBox>
#include <QDateTimeEdit>

#include <cstring>

#include "PageKit.h"

namespace kit {

void addNumbered(QComboBox* box, int first, int last, const char* suffix) {
    const QString tail = QString::fromUtf8(suffix);
    for (int n = first; n <= last; ++n) box->addItem(QString::number(n) + tail, n);
}

void showTime(QDateTimeEdit* edit, const Np_Time& time) {
    const QByteArray raw(reinterpret_cast<const char*>(&time), sizeof time);
    showDateTime(edit, fromNpTime(time), raw);
}

void storeTime(void* field, const QDateTimeEdit* edit) {
    const QByteArray kept = keptRaw(edit);
    if (kept.size() == static_cast<int>(sizeof(Np_Time))) {
        std::memcpy(field, kept.constData(), sizeof(Np_Time));
        return;
    }
    const Np_Time time = toNpTime(edit->dateTime());
    std::memcpy(field, &time, sizeof time);
}

}  // namespace kit
