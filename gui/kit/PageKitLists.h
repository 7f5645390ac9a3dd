// Number lists typed by the user for a fixed run of record entries, checked
// the way Fields checks a single number.
#pragma once

#include <QString>

#include <cstddef>
#include <vector>

#include "PageKit.h"

namespace kit {

// "12,,x,7" to {12, 7}: pieces that are not unsigned decimal numbers are
// skipped; a number above `max` or more numbers than `room` refuse the press
// through `fields` (one warning, nothing sent).
std::vector<unsigned> checkedList(Fields& fields, const QString& text, const QString& name, size_t room,
                                  qint64 max);

// "数据最多8个"
QString roomText(const QString& name, size_t room);

}  // namespace kit
