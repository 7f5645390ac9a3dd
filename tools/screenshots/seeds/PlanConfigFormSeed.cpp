// Office hours: a week plan with a weekend duty shift, the National Day
// holiday, and the template that ties them together.
#include <cstring>

#include "CommonSeeds.h"
#include "PlanConfigForm.h"
#include "Seeds.h"
#include "TslDev.h"

namespace {

Np_TimeSegment segment(int fromHour, int fromMinute, int toHour, int toMinute) {
    Np_TimeSegment s{};
    s.startHour = static_cast<uint8_t>(fromHour);
    s.startMinute = static_cast<uint8_t>(fromMinute);
    s.endHour = static_cast<uint8_t>(toHour);
    s.endMinute = static_cast<uint8_t>(toMinute);
    return s;
}

devsim::Bytes ids(std::initializer_list<uint8_t> list) {
    Np_IdList l{};
    l.count = static_cast<uint32_t>(list.size());
    std::copy(list.begin(), list.end(), l.ids);
    return shots::bytesOf(l);
}

void fill(devsim::SimDevice& d) {
    using commonseed::idKey;
    using shots::bytesOf;
    Np_WeekPlan week{};
    week.id = 1;
    for (int day = 0; day < 7; ++day) {
        Np_PlanDay& p = week.days[day];
        p.weekday = static_cast<uint8_t>(day);
        if (day == 0 || day == 6) {
            p.segments[0] = segment(9, 0, 12, 0);
            p.segments[1] = segment(14, 0, 17, 30);
        } else {
            p.segments[0] = segment(7, 30, 12, 0);
            p.segments[1] = segment(13, 30, 18, 0);
            p.segments[2] = segment(19, 0, 21, 30);
        }
    }
    d.PutRecord("weekPlan", idKey(1), bytesOf(week));

    Np_HolidayPlan holiday{};
    holiday.id = 2;
    holiday.startDate = Np_Date{2024, 10, 1};
    holiday.endDate = Np_Date{2024, 10, 7};
    holiday.segments[0] = segment(10, 0, 16, 0);
    d.PutRecord("holidayPlan", idKey(2), bytesOf(holiday));

    Np_PlanTemplate plan{};
    plan.id = 1;
    plan.weekPlanId = 1;
    plan.holidayPlanIds[0] = 2;
    plan.holidayPlanIds[1] = 5;
    plan.holidayPlanIds[2] = 6;
    std::strcpy(plan.name, "办公区通行");
    d.PutRecord("planTemplate", idKey(1), bytesOf(plan));

    d.PutRecord("idList", {3, 0, 0, 0}, ids({1, 3}));
    d.PutRecord("idList", {4, 0, 0, 0}, ids({2, 5, 6}));
    d.PutRecord("idList", {2, 0, 0, 0}, ids({1, 2}));
    auto* page = shots::page<PlanConfigForm>();
    for (const char* box : {"planIdComboBox", "holidayIdComboBox", "templateIdComboBox"})
        commonseed::openIdList(page, box);
}

const bool seeded = shots::addSeed(
    {&PlanConfigForm::staticMetaObject, {"planGetButton", "holidayGetButton", "templateGetButton"}, fill});

}  // namespace
