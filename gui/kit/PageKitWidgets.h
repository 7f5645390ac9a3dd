// Page kit: numbered combo items and device times in date-time edits.
#pragma once

#include <QString>

#include "TslDev.h"

class QComboBox;
class QDateTimeEdit;

namespace kit {

// Items "<n><suffix>" for n = first..last, each with n as data ("1号门" 1).
void addNumbered(QComboBox* box, int first, int last, const char* suffix);

// A device time in a date-time edit: shown when it is a date and time the
// edit can show; otherwise the edit stays as it was and the device's bytes
// are kept, so that storeTime writes them back unless the user edits.
void showTime(QDateTimeEdit* edit, const Np_Time& time);
void storeTime(void* field, const QDateTimeEdit* edit);

}  // namespace kit
