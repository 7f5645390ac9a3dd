#include "PlanConfigForm.h"

#include <cstring>

#include "PageKit.h"
#include "PageKitTimes.h"

namespace {
constexpr uint32_t kTemplateIds = 2;
constexpr uint32_t kWeekPlanIds = 3;
constexpr uint32_t kHolidayPlanIds = 4;
constexpr size_t kHolidayIdRoom = 24;
// Holiday plan numbers are 16 bits; a 0 ends the list, so it is no entry.
const kit::ListRule kHolidayIdRule{65535, true};

uint16_t idOf(kit::Fields& f, const QComboBox* box, const char* name) {
    return f.numberOf<uint16_t>(box->currentText(), QString::fromUtf8(name), 0, 65535);
}

void showSegments(const std::array<QTimeEdit*, 10>& edits, const Np_TimeSegment* segments) {
    for (int n = 0; n < 5; ++n) kit::showSegment(edits[2 * n], edits[2 * n + 1], segments[n]);
}

void storeSegments(const std::array<QTimeEdit*, 10>& edits, Np_TimeSegment* segments) {
    for (int n = 0; n < 5; ++n) kit::storeSegment(edits[2 * n], edits[2 * n + 1], segments[n]);
}

// The days of a reply in weekday order: entry d is the one naming weekday d
// (the last such), a day none names is empty. Each entry is written back
// under its own weekday, so an empty day never claims another day's number.
void sortDays(Np_WeekPlan& plan) {
    Np_PlanDay days[7];
    std::memset(days, 0, sizeof days);
    for (const Np_PlanDay& day : plan.days)
        if (day.weekday <= 6) days[day.weekday] = day;
    for (int d = 0; d < 7; ++d) days[d].weekday = static_cast<uint8_t>(d);
    std::memcpy(plan.days, days, sizeof days);
}
}  // namespace

PlanConfigForm::PlanConfigForm(QWidget* parent) : QWidget(parent) {
    for (int d = 0; d < kDays; ++d) weekPlan.days[d].weekday = static_cast<uint8_t>(d);
    ui.setupUi(this);
    setObjectName("PlanConfigForm");
    planEdits_ = {ui.planTimeEdit_00, ui.planTimeEdit_01, ui.planTimeEdit_10, ui.planTimeEdit_11,
                  ui.planTimeEdit_20, ui.planTimeEdit_21, ui.planTimeEdit_30, ui.planTimeEdit_31,
                  ui.planTimeEdit_40, ui.planTimeEdit_41};
    holidayEdits_ = {ui.holidayTimeEdit_00, ui.holidayTimeEdit_01, ui.holidayTimeEdit_10,
                     ui.holidayTimeEdit_11, ui.holidayTimeEdit_20, ui.holidayTimeEdit_21,
                     ui.holidayTimeEdit_30, ui.holidayTimeEdit_31, ui.holidayTimeEdit_40,
                     ui.holidayTimeEdit_41};
    // The item index is the weekday number; the first item shows Sunday.
    kit::addItems(ui.planWeekComboBox,
                  {{"日", 0}, {"一", 1}, {"二", 2}, {"三", 3}, {"四", 4}, {"五", 5}, {"六", 6}});
    kit::bindIdRefill(ui.planIdComboBox, kWeekPlanIds, this);
    kit::bindIdRefill(ui.holidayIdComboBox, kHolidayPlanIds, this);
    kit::bindIdRefill(ui.templateIdComboBox, kTemplateIds, this);
}

PlanConfigForm::~PlanConfigForm() = default;

// ---------------------------------------------------------------- week plans

void PlanConfigForm::storeDay(int day) {
    if (day < 0 || day >= kDays) return;
    storeSegments(planEdits_, weekPlan.days[day].segments);
}

void PlanConfigForm::showDay(int day) {
    showSegments(planEdits_, weekPlan.days[day].segments);
}

void PlanConfigForm::showSunday() {
    // Through "no day" first, so nothing on screen is stored into the copy.
    ui.planWeekComboBox->setCurrentIndex(-1);
    ui.planWeekComboBox->setCurrentIndex(0);
}

void PlanConfigForm::on_planWeekComboBox_currentIndexChanged(int index) {
    if (index < 0 || index >= kDays) {
        shownWeekday = -1;
        return;
    }
    if (shownWeekday != -1 && shownWeekday != index) storeDay(shownWeekday);
    showDay(index);
    shownWeekday = index;
}

void PlanConfigForm::on_planGetButton_clicked() {
    kit::Fields f(this);
    Np_WeekPlan plan{};
    kit::store<uint16_t>(KIT_FIELD(plan, id), idOf(f, ui.planIdComboBox, "周计划id"));
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_DEV_GetWeekPlan(h, &plan); },
        [&] {
            sortDays(plan);
            weekPlan = plan;
            showSunday();
        });
}

void PlanConfigForm::on_planSetButton_clicked() {
    kit::Fields f(this);
    const uint16_t id = idOf(f, ui.planIdComboBox, "周计划id");
    if (!f.ok()) return;
    kit::store<uint16_t>(KIT_FIELD(weekPlan, id), id);
    storeDay(ui.planWeekComboBox->currentIndex());
    const Np_WeekPlan plan = weekPlan;
    if (kit::attempt(this, kit::Write, [&](int h) { return TSL_NET_DEV_SetWeekPlan(h, plan); }) !=
        kit::Outcome::Gone)
        showSunday();
}

void PlanConfigForm::on_planDeleteButton_clicked() {
    kit::Fields f(this);
    const int id = idOf(f, ui.planIdComboBox, "周计划id");
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_DeleteWeekPlan(h, id); });
}

void PlanConfigForm::on_planClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_DEV_ClearWeekPlan(h); });
}

// ---------------------------------------------------------------- holiday plans

void PlanConfigForm::on_holidayGetButton_clicked() {
    kit::Fields f(this);
    Np_HolidayPlan plan{};
    kit::store<uint16_t>(KIT_FIELD(plan, id), idOf(f, ui.holidayIdComboBox, "节假日id"));
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_DEV_GetHolidayPlan(h, &plan); },
        [&] {
            showSegments(holidayEdits_, plan.segments);
            kit::showDate(ui.holidayDateEdit0, plan.startDate);
            kit::showDate(ui.holidayDateEdit1, plan.endDate);
        });
}

void PlanConfigForm::on_holidaySetButton_clicked() {
    kit::Fields f(this);
    Np_HolidayPlan plan{};
    kit::store<uint16_t>(KIT_FIELD(plan, id), idOf(f, ui.holidayIdComboBox, "节假日id"));
    if (!f.ok()) return;
    storeSegments(holidayEdits_, plan.segments);
    plan.startDate = kit::dateOf(ui.holidayDateEdit0);
    plan.endDate = kit::dateOf(ui.holidayDateEdit1);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_SetHolidayPlan(h, plan); });
}

void PlanConfigForm::on_holidayDeleteButton_clicked() {
    kit::Fields f(this);
    const int id = idOf(f, ui.holidayIdComboBox, "节假日id");
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_DeleteHolidayPlan(h, id); });
}

void PlanConfigForm::on_holidayClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_DEV_ClearHolidayPlan(h); });
}

// ---------------------------------------------------------------- templates

void PlanConfigForm::on_templateGetButton_clicked() {
    kit::Fields f(this);
    Np_PlanTemplate plan{};
    kit::store<uint16_t>(KIT_FIELD(plan, id), idOf(f, ui.templateIdComboBox, "计划模板id"));
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_DEV_GetPlanTemplate(h, &plan); },
        [&] {
            ui.templateNameEdit->setText(kit::text(plan.name));
            ui.templatePlanIdEdit->setText(QString::number(kit::load<uint16_t>(KIT_FIELD(plan, weekPlanId))));
            ui.templateHolidayIdTextEdit->setPlainText(kit::listText(
                KIT_CFIELD(plan, holidayPlanIds), 2, kHolidayIdRoom, kHolidayIdRoom, kHolidayIdRule));
        });
}

void PlanConfigForm::on_templateSetButton_clicked() {
    kit::Fields f(this);
    Np_PlanTemplate plan{};
    kit::store<uint16_t>(KIT_FIELD(plan, id), idOf(f, ui.templateIdComboBox, "计划模板id"));
    kit::store<uint16_t>(KIT_FIELD(plan, weekPlanId),
                         f.number<uint16_t>(ui.templatePlanIdEdit, QString::fromUtf8("周计划id")));
    const QString holidayIds = ui.templateHolidayIdTextEdit->toPlainText();
    // The record holds 24; more would run into the name.
    if (kit::parseList(holidayIds, kHolidayIdRoom + 1, kHolidayIdRule).size() > kHolidayIdRoom)
        f.refuse(QString::fromUtf8("节假日id最多%1个").arg(kHolidayIdRoom));
    if (!f.ok()) return;
    kit::storeList(KIT_FIELD(plan, holidayPlanIds), 2, kHolidayIdRoom, holidayIds, kHolidayIdRule);
    // Names are kept to 31 bytes and a NUL, cut on a whole character.
    kit::copyText(KIT_FIELD(plan, name), 32, ui.templateNameEdit->text());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_SetPlanTemplate(h, plan); });
}

void PlanConfigForm::on_templateDeleteButton_clicked() {
    kit::Fields f(this);
    const int id = idOf(f, ui.templateIdComboBox, "计划模板id");
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_DeletePlanTemplate(h, id); });
}

void PlanConfigForm::on_templateClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_DEV_ClearPlanTemplate(h); });
}
