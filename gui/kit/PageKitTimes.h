// Times of day and dates of plan records in time and date edits. A value the
// edit cannot show (24:00:00, month 13) leaves the edit as it was and is
// kept: storing gives the device's bytes back until the user changes that
// edit, so browsing never rewrites a plan.
#pragma once

#include "TslDev.h"

class QDateTimeEdit;

namespace kit {

// `hms`: hour, minute and second bytes.
void showTimeOfDay(QDateTimeEdit* edit, const unsigned char* hms);
void storeTimeOfDay(const QDateTimeEdit* edit, unsigned char* hms);

// A segment's start and end; its spare bytes are not touched.
void showSegment(QDateTimeEdit* start, QDateTimeEdit* end, const Np_TimeSegment& segment);
void storeSegment(const QDateTimeEdit* start, const QDateTimeEdit* end, Np_TimeSegment& segment);

void showDate(QDateTimeEdit* edit, const Np_Date& date);
Np_Date dateOf(const QDateTimeEdit* edit);

}  // namespace kit
